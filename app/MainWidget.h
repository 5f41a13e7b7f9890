#pragma once

#include "app/FrameTarget.h"
#include "app/Schedule.h"
#include "audio/BassPlay.h"
#include "base/LiveCounts.h"
#include "gfx/ComponentFactory.h"

#include <QGLWidget>

#include <cstdint>
#include <memory>

// The OpenGL surface and conductor of the demo: starts the clock, builds the
// schedule, draws each frame for the current demo time and deletes itself when
// every scene has ended.
class MainWidget : public QGLWidget
{
    Q_OBJECT

public:
    using SceneInfo = Schedule::SceneInfo;
    // Reads a monotonic clock in nanoseconds.
    using ClockFunction = std::int64_t (*)();

    explicit MainWidget(QWidget* parent);
    ~MainWidget() override;

    // Moves the demo clock; positive seconds move forward. The music stays where it is.
    void skip(double seconds);
    void startPlayMusic();

    float currentAspect() const { return aspect; }

    // The steady clock by default; tests install a clock they control.
    static void setClock(ClockFunction clock);
    static std::int64_t steadyClockNanos();

    // The longest side, in device pixels, of a frame the surface draws. A
    // window system lets a window grow to 32767 pixels a side, and a GL buffer
    // that size (4 GiB) crashes a software GL; few screens show more than this.
    static constexpr int kLargestSide = 8192;
    // This surface's bound: kLargestSide, or less where its GL cannot make a
    // frame that large. It is also the surface's maximum size.
    int largestSide() const { return largest; }

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;

private:
    base::LiveCount<base::Counted::Surfaces> counted;  // for the leak checks only

    // Whether the surface's own buffer is within the bound, and may be drawn into.
    bool fitsTheLargestFrame() const { return surfaceWidth <= largest && surfaceHeight <= largest; }

    float aspect = 1.0f;
    ComponentFactory factory;
    std::int64_t startInstant = 0;
    Schedule schedule;
    // Frames are drawn here and copied to the screen, as the capture tool draws them.
    FrameTarget frame;
    int frameWidth = 0;
    int frameHeight = 0;
    int largest = kLargestSide;
    // The surface's size in device pixels at the last resize, valid or not.
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    // Last, so that it is destroyed first: the music stops before the scenes go.
    std::unique_ptr<BassPlay> player;
};
