#pragma once

#include "gfx/ISceneComponent.h"

#include <list>
#include <memory>

// The component list every scene owns; its order is both construction and draw order.
using ComponentList = std::list<std::shared_ptr<ISceneComponent>>;

// Draws each component in list order with the same t. Each call holds its own
// reference, so a component outlives its draw even if the list were cleared.
inline void drawComponents(const ComponentList& components, float t)
{
    for (const auto& entry : components) {
        std::shared_ptr<ISceneComponent> component = entry;
        component->draw(t);
    }
}
