#include "support/GlTestContext.h"

#include "app/GlSource.h"
#include "app/Projection.h"
#include "app/Schedule.h"

#include <array>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <utility>

std::string glState()
{
    std::ostringstream s;
    const std::pair<const char*, GLenum> switches[] = {
        {"blend", GL_BLEND},           {"stencil test", GL_STENCIL_TEST}, {"scissor test", GL_SCISSOR_TEST},
        {"clip plane 0", GL_CLIP_PLANE0}, {"line smooth", GL_LINE_SMOOTH},  {"vertex array", GL_VERTEX_ARRAY}};
    for (const auto& [name, capability] : switches)
        s << name << (glIsEnabled(capability) == GL_TRUE ? " on, " : " off, ");
    GLboolean colourWrites[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, colourWrites);
    GLint buffer = 0;
    GLint depth = 0;
    GLint mode = 0;
    std::array<GLfloat, 16> modelview{};
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
    s << "colour writes " << int{colourWrites[0]} << int{colourWrites[1]} << int{colourWrites[2]}
      << int{colourWrites[3]} << ", array buffer " << buffer << ", model-view depth " << depth << ", matrix mode "
      << mode << ", model-view" << std::setprecision(9);
    for (GLfloat v : modelview)
        s << ' ' << v;
    return s.str();
}

std::unique_ptr<OffscreenContext> testGlContext()
{
    QString problem;
    std::unique_ptr<OffscreenContext> context = openOffscreenContext(
        qEnvironmentVariableIsEmpty("DISPLAY") ? GlSource::Egl : GlSource::XDisplay, problem);
    if (!context)
        ADD_FAILURE() << problem.toStdString();
    return context;
}

QImage framePathFrame(int w, int h, float t)
{
    OffscreenRenderer renderer(testGlContext());
    if (!renderer.begin(w, h))
        return QImage();
    Schedule schedule;
    schedule.build();
    renderer.drawFrame(schedule, t);
    return renderer.image().convertToFormat(QImage::Format_RGB32);
}

void GlTest::SetUp()
{
    ASSERT_TRUE(renderer.valid()) << "no OpenGL context";
    ASSERT_TRUE(renderer.begin(width, height));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
}

QImage GlTest::pixels() const
{
    return renderer.image();
}

QRgb GlTest::pixelAt(float x, float y) const
{
    return pixelAt(pixels(), x, y);
}

QRgb GlTest::pixelAt(const QImage& image, float x, float y)
{
    const OrthoBounds b = orthoBounds(image.width(), image.height());
    const int px = static_cast<int>(std::floor((x - b.left) / (b.right - b.left) * image.width()));
    const int py = static_cast<int>(std::floor((b.top - y) / (b.top - b.bottom) * image.height()));
    return image.pixel(std::min(std::max(px, 0), image.width() - 1), std::min(std::max(py, 0), image.height() - 1));
}

int countPixels(const QImage& image, const std::function<bool(float, float, QRgb)>& test)
{
    const OrthoBounds b = orthoBounds(image.width(), image.height());
    int count = 0;
    for (int py = 0; py < image.height(); ++py) {
        for (int px = 0; px < image.width(); ++px) {
            const float x = b.left + (static_cast<float>(px) + 0.5f) / static_cast<float>(image.width()) * (b.right - b.left);
            const float y = b.top - (static_cast<float>(py) + 0.5f) / static_cast<float>(image.height()) * (b.top - b.bottom);
            count += test(x, y, image.pixel(px, py)) ? 1 : 0;
        }
    }
    return count;
}
