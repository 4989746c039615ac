#include "editors/Lfo.h"

Lfo::Lfo (MainComponent* owner) : mainComponent (owner)
{
    setName ("Lfo");
    setSize (800, 448);
}
