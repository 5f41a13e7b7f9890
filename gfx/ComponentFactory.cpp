#include "gfx/ComponentFactory.h"

ComponentFactory::~ComponentFactory()
{
    for (ISceneComponent* component : owned)
        delete component;  // deleting a null entry does nothing
}
