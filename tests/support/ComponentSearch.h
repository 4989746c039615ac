#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <stdexcept>

/** Finds the controls of a panel as a user sees them: by type and caption. */
namespace ComponentSearch
{
    /** The direct children of a type, in their order. */
    template <typename ComponentType>
    juce::Array<ComponentType*> childrenOfType (juce::Component& parent)
    {
        juce::Array<ComponentType*> result;

        for (auto* c : parent.getChildren())
            if (auto* typed = dynamic_cast<ComponentType*> (c))
                result.add (typed);

        return result;
    }

    /** Every component of a type in the tree below parent (parent included). */
    template <typename ComponentType>
    juce::Array<ComponentType*> findAllOfType (juce::Component& parent)
    {
        juce::Array<ComponentType*> result;

        if (auto* typed = dynamic_cast<ComponentType*> (&parent))
            result.add (typed);

        for (auto* c : parent.getChildren())
            result.addArray (findAllOfType<ComponentType> (*c));

        return result;
    }

    /** The direct child button with this caption. */
    template <typename ButtonType>
    ButtonType& buttonWithText (juce::Component& parent, const juce::String& text)
    {
        for (auto* button : childrenOfType<ButtonType> (parent))
            if (button->getButtonText() == text)
                return *button;

        throw std::runtime_error ("no button with the text " + text.toStdString());
    }

    /** The direct child with this component name. */
    template <typename ComponentType>
    ComponentType& childNamed (juce::Component& parent, const juce::String& name)
    {
        for (auto* c : childrenOfType<ComponentType> (parent))
            if (c->getName() == name)
                return *c;

        throw std::runtime_error ("no child named " + name.toStdString());
    }
}
