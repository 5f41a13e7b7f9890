#include "scenes/shared/SkyBand.h"

#include "gfx/Gl.h"

namespace sky {

void drawSkyBand(const SkyBand& band, const std::function<void()>& drawRectangle)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(band.red, band.green, band.blue, band.alpha);
    glPushMatrix();
    glTranslatef(0.0f, band.centreY, 0.0f);
    glScalef(1.0f, band.heightScale, 1.0f);
    drawRectangle();
    glPopMatrix();
    glDisable(GL_BLEND);
}

} // namespace sky
