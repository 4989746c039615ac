#include "app/Upgrader.h"

Upgrader::Upgrader (MainComponent* owner) : mainComponent (owner)
{
    setName ("Upgrader");
}

void Upgrader::updateEnablement (int mode)
{
    lastEnablementMode = mode;
}
