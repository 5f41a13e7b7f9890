#include "support/GlTestContext.h"

#include "app/GlSource.h"
#include "app/Projection.h"

#include <cmath>

bool GlStateSnapshot::operator==(const GlStateSnapshot& other) const
{
    return blend == other.blend && stencilTest == other.stencilTest && scissorTest == other.scissorTest &&
           clipPlane0 == other.clipPlane0 &&
           lineSmooth == other.lineSmooth && vertexArray == other.vertexArray &&
           arrayBufferBinding == other.arrayBufferBinding && modelviewDepth == other.modelviewDepth &&
           modelview == other.modelview && matrixMode == other.matrixMode;
}

std::ostream& operator<<(std::ostream& out, const GlStateSnapshot& s)
{
    out << "{blend " << s.blend << ", stencil test " << s.stencilTest << ", scissor test " << s.scissorTest
        << ", clip plane 0 " << s.clipPlane0
        << ", line smooth " << s.lineSmooth << ", vertex array " << s.vertexArray << ", array buffer "
        << s.arrayBufferBinding << ", model-view depth " << s.modelviewDepth << ", matrix mode " << s.matrixMode
        << ", model-view [";
    for (GLfloat v : s.modelview)
        out << v << ' ';
    return out << "]}";
}

GlStateSnapshot snapshotGlState()
{
    GlStateSnapshot s;
    s.blend = glIsEnabled(GL_BLEND) == GL_TRUE;
    s.stencilTest = glIsEnabled(GL_STENCIL_TEST) == GL_TRUE;
    s.scissorTest = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    s.clipPlane0 = glIsEnabled(GL_CLIP_PLANE0) == GL_TRUE;
    s.lineSmooth = glIsEnabled(GL_LINE_SMOOTH) == GL_TRUE;
    s.vertexArray = glIsEnabled(GL_VERTEX_ARRAY) == GL_TRUE;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &s.arrayBufferBinding);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview.data());
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    return s;
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
