#pragma once

#include "gfx/ISceneComponent.h"

#include <list>

// Owner list of raw component pointers; the surface keeps one and it stays empty.
class ComponentFactory
{
public:
    ComponentFactory() = default;
    ~ComponentFactory();
    ComponentFactory(const ComponentFactory&) = delete;
    ComponentFactory& operator=(const ComponentFactory&) = delete;

private:
    std::list<ISceneComponent*> owned;
};
