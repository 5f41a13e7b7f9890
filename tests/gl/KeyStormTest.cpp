// People press keys at random at a show: thousands of random keys and
// double-clicks at random moments, some of them while the surface is on its way
// out, and afterwards the demo must still play as it always does.

#include "support/WindowFixture.h"

#include <QTest>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kActions = kSanitizerBuild ? 1500 : 4000;
constexpr unsigned kSeed = 20240917;

struct StormKey
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

const StormKey kStormKeys[] = {
    {Qt::Key_Space, Qt::NoModifier},   {Qt::Key_Space, Qt::NoModifier},  {Qt::Key_Left, Qt::NoModifier},
    {Qt::Key_Right, Qt::NoModifier},   {Qt::Key_Up, Qt::NoModifier},     {Qt::Key_Down, Qt::NoModifier},
    {Qt::Key_Down, Qt::NoModifier},    {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Return, Qt::AltModifier},
    {Qt::Key_Return, Qt::NoModifier},  {Qt::Key_Enter, Qt::AltModifier}, {Qt::Key_Space, Qt::AltModifier},
    {Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_A, Qt::NoModifier},      {Qt::Key_Q, Qt::ControlModifier},
    {Qt::Key_W, Qt::ControlModifier},  {Qt::Key_F4, Qt::AltModifier},    {Qt::Key_F11, Qt::NoModifier},
    {Qt::Key_Tab, Qt::NoModifier},     {Qt::Key_Backspace, Qt::NoModifier}, {Qt::Key_Delete, Qt::NoModifier},
    {Qt::Key_Home, Qt::NoModifier},    {Qt::Key_PageDown, Qt::NoModifier}, {Qt::Key_1, Qt::KeypadModifier},
};

class Storm
{
public:
    explicit Storm(MainWindow& target) : window(target), random(kSeed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    void randomInput()
    {
        if (pick(8) == 0) {
            const Qt::MouseButton button = pick(2) == 0 ? Qt::LeftButton : Qt::RightButton;
            const QPoint at(pick(std::max(1, window.width())), pick(std::max(1, window.height())));
            // The surface, when there is one, gets the click first, as under a real pointer.
            QWidget* under = window.childAt(at);
            QTest::mouseDClick(under ? under : &window, button, Qt::NoModifier,
                               under ? under->mapFrom(&window, at) : at);
            ++doubleClicks;
        } else {
            const StormKey& k = kStormKeys[pick(static_cast<int>(std::size(kStormKeys)))];
            QTest::keyClick(&window, k.key, k.modifiers);
            ++keys;
        }
    }

    MainWindow& window;
    std::mt19937 random;
    int keys = 0;
    int doubleClicks = 0;
};

std::vector<std::string>& messages()
{
    static std::vector<std::string> list;
    return list;
}

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        messages().push_back(text.toStdString());
}

using KeyStorm = WindowFixture;

} // namespace

TEST_F(KeyStorm, RandomKeysAndDoubleClicksLeaveADemoThatPlaysAsBefore)
{
    messages().clear();
    const QtMessageHandler previous = qInstallMessageHandler(&collectWarnings);

    Storm storm(window);
    int deletionsHit = 0;
    for (int action = 0; action < kActions; ++action) {
        switch (storm.pick(10)) {
        case 0:  // let frames, timers and deferred deletions run
            QTest::qWait(storm.pick(4));
            break;
        case 1:
            advance(storm.pick(12));
            break;
        case 2:
            // End the demo now and keep pressing while the surface waits for
            // its deletion.
            if (MainWidget* surface = window.surface()) {
                QPointer<MainWidget> ending = surface;
                advance(80.0);
                surface->updateGL();
                for (int i = 1 + storm.pick(6); i > 0; --i)
                    storm.randomInput();
                if (!ending.isNull())
                    ++deletionsHit;
            }
            break;
        default:
            storm.randomInput();
        }
    }
    qInstallMessageHandler(previous);
    std::printf("%d keys, %d double-clicks, %d bursts while a surface was being deleted\n", storm.keys,
                storm.doubleClicks, deletionsHit);
    EXPECT_GT(deletionsHit, 10);
    EXPECT_TRUE(messages().empty()) << messages().size() << " warnings, the first: " << messages().front();

    // Back to a plain window with no demo playing.
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::qWait(20);
    if (QPointer<MainWidget> left = window.surface()) {
        advance(80.0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return left.isNull(); }, 5000));
    }
    QTest::qWait(20);
    ASSERT_EQ(liveObjects(), kNothingLive);

    // The demo plays as it always does: the same pixels as the frame path
    // gives for each time, in every scene and overlap, and the end deletes
    // the surface.
    QPointer<MainWidget> surface = start(1);
    ASSERT_FALSE(surface.isNull());
    expectFramePathPixels(surface, {2.0, 24.0, 38.5, 45.0, 50.0, 62.0, 66.0, 71.0});
    advance(76.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface.isNull(); }, 5000));
    EXPECT_EQ(liveObjects(), kNothingLive);
}
