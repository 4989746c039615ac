#include "routing/RouterListCommon.h"
#include "routing/RouterCommon.h"
#include "routing/RouterGridEnablement.h"
#include "routing/RouterImages.h"
#include "routing/UsbPortsReservation.h"
#include "routing/SettingsUsbDevPortObject.h"
#include "routing/MidiInOutRenameObject.h"
#include "app/MainComponent.h"
#include "device/ProductTables.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour headingColour (0xffff7f50);
    const juce::Colour hubHeadingColour (0xffc0c0c0);
    const juce::Colour noticeColour (0xff8e989b);
    const juce::Colour tickSelectedColour (0xffffa500);

    /** The word the notices and tooltips name the ports with. */
    const juce::String portWord ("MIDI");

    juce::Font regularFont (float height)
    {
        return juce::Font (height, juce::Font::plain).withTypefaceStyle ("Regular");
    }

    std::unique_ptr<juce::Label> makeLabel (const juce::String& text, float fontHeight, juce::Colour colour)
    {
        auto label = std::make_unique<juce::Label> ("new label", text);
        label->setFont (regularFont (fontHeight));
        label->setJustificationType (juce::Justification::centredLeft);
        label->setEditable (false, false, false);
        label->setColour (juce::Label::textColourId, colour);
        return label;
    }

    std::unique_ptr<juce::ImageButton> makeIcon (const juce::String& text, const juce::Image& picture, juce::Point<int> size)
    {
        auto icon = std::make_unique<juce::ImageButton> ("new button");
        icon->setButtonText (text);
        RouterImages::setPicture (*icon, picture);
        icon->setSize (size.x, size.y);
        return icon;
    }

    void placeRow (juce::Component& c, int x, int y, int width)
    {
        c.setBounds (x, y, width, RouterGridLayout::rowHeight);
    }
}

//==============================================================================
RouterListCommon::RouterListCommon (juce::Component* ownerTab) : owner (ownerTab)
{
    lockedImage = RouterImages::locked();
    unlockedImage = RouterImages::unlocked();
    const auto pencil = RouterImages::pencil();

    auto addHidden = [this] (juce::Component& c) { addChildComponent (c); };

    hostInputsLabel = makeLabel (TRANS ("USB Host Inputs"), 14.0f, headingColour);
    hostOutputsLabel = makeLabel (TRANS ("USB Host Outputs\n"), 14.0f, headingColour);
    deviceInputsLabel = makeLabel (TRANS ("USB Device Inputs"), 14.0f, headingColour);
    deviceOutputsLabel = makeLabel (TRANS ("USB Device Outputs"), 14.0f, headingColour);
    bluetoothInputLabel = makeLabel (TRANS ("Bluetooth Input"), 14.0f, headingColour);
    bluetoothOutputLabel = makeLabel (TRANS ("Bluetooth Output"), 14.0f, headingColour);
    midiInputsLabel = makeLabel (TRANS ("MIDI Inputs"), 14.0f, headingColour);
    midiOutputsLabel = makeLabel (TRANS ("MIDI Outputs"), 14.0f, headingColour);

    hostInputsIcon = makeIcon ("USB-A Inputs", RouterImages::usbA(), RouterGridLayout::getIconSize (RouterGridLayout::hostGroup));
    hostOutputsIcon = makeIcon ("USB-A Outputs", RouterImages::usbA(), RouterGridLayout::getIconSize (RouterGridLayout::hostGroup));
    deviceInputsIcon = makeIcon ("USB-C Inputs", RouterImages::usbC(), RouterGridLayout::getIconSize (RouterGridLayout::usbDeviceGroup));
    deviceOutputsIcon = makeIcon ("USB-C Outputs", RouterImages::usbC(), RouterGridLayout::getIconSize (RouterGridLayout::usbDeviceGroup));
    bluetoothInputIcon = makeIcon ("Bluetooth Input", RouterImages::bluetooth(), RouterGridLayout::getIconSize (RouterGridLayout::bluetoothGroup));
    bluetoothOutputIcon = makeIcon ("Bluetooth Output", RouterImages::bluetooth(), RouterGridLayout::getIconSize (RouterGridLayout::bluetoothGroup));
    midiInputsIcon = makeIcon ("MIDI Inputs", RouterImages::midi(), RouterGridLayout::getIconSize (RouterGridLayout::midiGroup));
    midiOutputsIcon = makeIcon ("MIDI Outputs", RouterImages::midi(), RouterGridLayout::getIconSize (RouterGridLayout::midiGroup));

    for (auto* c : { (juce::Component*) hostInputsLabel.get(), (juce::Component*) hostOutputsLabel.get(),
                     (juce::Component*) deviceInputsLabel.get(), (juce::Component*) deviceOutputsLabel.get(),
                     (juce::Component*) bluetoothInputLabel.get(), (juce::Component*) bluetoothOutputLabel.get(),
                     (juce::Component*) midiInputsLabel.get(), (juce::Component*) midiOutputsLabel.get(),
                     (juce::Component*) hostInputsIcon.get(), (juce::Component*) hostOutputsIcon.get(),
                     (juce::Component*) deviceInputsIcon.get(), (juce::Component*) deviceOutputsIcon.get(),
                     (juce::Component*) bluetoothInputIcon.get(), (juce::Component*) bluetoothOutputIcon.get(),
                     (juce::Component*) midiInputsIcon.get(), (juce::Component*) midiOutputsIcon.get() })
        addHidden (*c);

    reservationViewport = std::make_unique<juce::Viewport> ("new viewport");
    reservationViewport->setScrollBarsShown (false, false);
    reservationViewport->setViewedComponent (new UsbPortsReservation (this, routerKind), true);
    reservationViewport->setBounds (192, 24, 350, 318);
    addHidden (*reservationViewport);

    for (int i = 0; i < hostSlotCapacity; ++i)
    {
        auto makePorts = [this] (const juce::String& direction)
        {
            auto button = std::make_unique<juce::TextButton> ("new button");
            button->setButtonText (TRANS ("Ports"));
            button->setTooltip (TRANS ("Click to enable/disable USB " + portWord + " " + direction + " ports of this device"));
            button->setColour (juce::TextButton::buttonColourId, headingColour);
            button->addListener (this);
            return button;
        };

        auto makeLock = [this] (const juce::String& tooltip)
        {
            auto button = std::make_unique<juce::ImageButton> ("new button");
            RouterImages::setPicture (*button, unlockedImage);
            button->setTooltip (TRANS (tooltip));
            button->addListener (this);
            return button;
        };

        hostInPortButtons[i] = makePorts ("outputs");
        hostInLockButtons[i] = makeLock ("Click to lock or unlock USB " + portWord + " input port to a specific device output");
        hostOutPortButtons[i] = makePorts ("inputs");
        hostOutLockButtons[i] = makeLock ("Click to lock or unlock USB " + portWord + " output port to a specific device input");

        for (auto* c : { (juce::Component*) hostInPortButtons[i].get(), (juce::Component*) hostInLockButtons[i].get(),
                         (juce::Component*) hostOutPortButtons[i].get(), (juce::Component*) hostOutLockButtons[i].get() })
            addHidden (*c);
    }

    for (int i = 0; i < portSlotCapacity; ++i)
    {
        auto makePencil = [this, &pencil] (const char* name)
        {
            auto button = std::make_unique<juce::ImageButton> (name);
            RouterImages::setPicture (*button, pencil);
            button->setTooltip (TRANS ("Click to edit the name"));
            button->addListener (this);
            return button;
        };

        inputNameButtons[i] = makePencil ("buttonInputName");
        outputNameButtons[i] = makePencil ("buttonOutputName");
        addHidden (*inputNameButtons[i]);
        addHidden (*outputNameButtons[i]);
    }

    for (int i = 0; i < RouterGridLayout::hubHeadingCapacity; ++i)
    {
        hubLabelsIn[i] = makeLabel (TRANS ("Hub port In"), 15.0f, hubHeadingColour);
        hubLabelsOut[i] = makeLabel (TRANS ("Hub port"), 15.0f, hubHeadingColour);
        addHidden (*hubLabelsIn[i]);
        addHidden (*hubLabelsOut[i]);
    }

    noDeviceInLabel = makeLabel (TRANS ("No " + portWord + " device connected"), 15.0f, noticeColour);
    noDeviceOutLabel = makeLabel (TRANS ("No " + portWord + " device connected"), 15.0f, noticeColour);
    availableInLabel = makeLabel (TRANS ("Available host In " + portWord + " ports"), 15.0f, noticeColour);
    availableOutLabel = makeLabel (TRANS ("Available host Out " + portWord + " ports"), 15.0f, noticeColour);

    for (auto* c : { noDeviceInLabel.get(), noDeviceOutLabel.get(), availableInLabel.get(), availableOutLabel.get() })
        addHidden (*c);

    layoutGroupLabels (false);
    setSize (800, 448);
}

RouterListCommon::~RouterListCommon()
{
    stopTimer();
    cancelPendingUpdate();
    dismissCallOuts (false);
}

//==============================================================================
RouterCommon* RouterListCommon::getTab() const
{
    return dynamic_cast<RouterCommon*> (owner);
}

void RouterListCommon::refreshFullMap()
{
    if (auto* tab = getTab())
        if (auto* main = tab->getMainComponent())
            if (auto* fullMap = main->getFullMap())
                fullMap->refresh();
}

UsbPortsReservation* RouterListCommon::getUsbPortsReservation()
{
    return reservationViewport != nullptr ? dynamic_cast<UsbPortsReservation*> (reservationViewport->getViewedComponent()) : nullptr;
}

bool RouterListCommon::isReservationViewOpen() const
{
    return reservationViewport != nullptr && reservationViewport->isVisible();
}

int RouterListCommon::getNumShownPorts() const
{
    return juce::jmin (layout.hostPorts + layout.localPorts, (int) portSlotCapacity);
}

//==============================================================================
void RouterListCommon::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
    paintRouteLines (g);
}

void RouterListCommon::paintRouteLines (juce::Graphics& g)
{
    for (auto& route : routes.lines)
    {
        g.setColour (juce::Colour (RouteLines::routeColour).withAlpha (route.opacity));
        g.drawLine (route.line, route.thickness);
    }
}

void RouterListCommon::updateRoutes()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    routes = RouteLines::compute (*device, layout, getWidth(), getSelectedInput(), isReservationViewOpen());

    for (int j = 0; j < portSlotCapacity; ++j)
    {
        if (auto* toggle = outputToggles[j].get())
        {
            toggle->setToggleState (routes.ticked[j], juce::dontSendNotification);
            toggle->setColour (juce::ToggleButton::tickColourId, routes.ticked[j] ? tickSelectedColour : juce::Colours::white);
        }
    }

    repaint();
}

//==============================================================================
int RouterListCommon::getSelectedInput() const
{
    for (int i = 0; i < portSlotCapacity; ++i)
        if (inputButtons[i] != nullptr && inputButtons[i]->getToggleState())
            return i;

    return -1;
}

void RouterListCommon::clearInputSelection()
{
    const int selected = getSelectedInput();

    if (selected < 0)
        return;

    inputButtons[selected]->setToggleState (false, juce::dontSendNotification);
    updateRoutes();
}

void RouterListCommon::buttonClicked (juce::Button* button)
{
    const int a = layout.hostPorts;

    for (int i = 0; i < hostSlotCapacity; ++i)
    {
        if (button == hostInPortButtons[i].get())  { openHostPortSettings (button, (juce::uint8) i); return; }
        if (button == hostOutPortButtons[i].get()) { openHostPortSettings (button, (juce::uint8) (a + i)); return; }
    }

    for (int i = 0; i < hostSlotCapacity; ++i)
    {
        if (button == hostInLockButtons[i].get() || button == hostOutLockButtons[i].get())
        {
            if (! isReservationViewOpen())
                togglePortReservationView();

            return;
        }
    }

    const int ports = getNumShownPorts();

    for (int i = 0; i < ports; ++i)
    {
        if (button == inputNameButtons[i].get())  { openPortRename (button, i); return; }
        if (button == outputNameButtons[i].get()) { openPortRename (button, ports + i); return; }
    }

    toggleInputSelection (button);
}

void RouterListCommon::toggleInputSelection (const juce::Component* clicked)
{
    for (int i = 0; i < portSlotCapacity; ++i)
    {
        if (clicked != inputButtons[i].get() || clicked == nullptr)
            continue;

        // The row of a waiting change stays selected until it has been written.
        if (isTimerRunning())
            return;

        if (isReservationViewOpen())
        {
            if (i < layout.hostPorts)
                return;

            togglePortReservationView();
        }

        auto& input = *inputButtons[i];
        input.setToggleState (! input.getToggleState(), juce::dontSendNotification);
        updateRoutes();
        return;
    }

    for (int j = 0; j < portSlotCapacity; ++j)
    {
        if (clicked != nullptr && clicked == outputToggles[j].get())
        {
            toggleRoute (j);
            return;
        }
    }
}

void RouterListCommon::toggleRoute (int output)
{
    auto* device = MidiController::getInstance();
    const int selected = getSelectedInput();

    if (device == nullptr || selected < 0)
        return;

    if (isReservationViewOpen())
    {
        if (output < layout.hostPorts)
            return;

        togglePortReservationView();
    }

    if (! edits.toggleRoute (*device, selected, output))
        return;

    startTimer (debounceMs);
    refreshFullMap();
    updateRoutes();
}

void RouterListCommon::timerCallback()
{
    stopTimer();
    writePendingChanges();
}

void RouterListCommon::writePendingChanges()
{
    if (auto* device = MidiController::getInstance())
        edits.writePendingChanges (*device);
}

void RouterListCommon::writeRouterSettings()
{
    if (auto* device = MidiController::getInstance())
        edits.writeRouterSettings (*device);
}

void RouterListCommon::clearRouter()
{
    if (isReservationViewOpen())
        togglePortReservationView();

    if (auto* device = MidiController::getInstance())
        RouterEdits::clearCurrentPreset (*device);

    rebuildGrid();
    refreshFullMap();
    writeRouterSettings();
}

void RouterListCommon::resetRouter (bool, bool)
{
}

void RouterListCommon::flushEdits()
{
    if (! isTimerRunning())
        return;

    stopTimer();

    if (auto* device = MidiController::getInstance())
        edits.markChangedRows (*device);
}

void RouterListCommon::productLost()
{
    dismissCallOuts (false);
    stopTimer();
    edits.forgetChangedRows();
    hostListRefreshPending = false;

    if (auto* view = getUsbPortsReservation())
        view->productLost();

    if (isReservationViewOpen())
        closeReservationView (false);
}

//==============================================================================
void RouterListCommon::togglePortReservationView()
{
    if (isReservationViewOpen())
        closeReservationView (true);
    else
        openReservationView();
}

void RouterListCommon::closeReservationView (bool apply)
{
    auto* view = getUsbPortsReservation();
    auto* device = MidiController::getInstance();

    if (apply && view != nullptr && device != nullptr
         && view->checkInputReservations() && view->checkOutputReservations())
    {
        view->applyReservations();

        for (int i = 0; i < 2 * device->getNumUsbHostPorts(); ++i)
        {
            if (device->pendingRequests.isWrite (kindPortReservation, i))
            {
                hostListRefreshPending = true;
                startTimer (debounceMs);
                break;
            }
        }
    }

    if (view != nullptr)
        view->setOpen (false);

    reservationViewport->setVisible (false);

    if (auto* tab = getTab())
        tab->reservationViewClosed();

    rebuildGrid();
}

void RouterListCommon::openReservationView()
{
    clearInputSelection();
    reservationViewport->setVisible (true);
    applyEnablement();

    if (auto* view = getUsbPortsReservation())
    {
        view->setOpen (true);
        view->showAllToggle->setToggleState (false, juce::sendNotification);
    }

    if (auto* tab = getTab())
        tab->scrollGridTo (reservationViewport->getY());

    updateRoutes();
}

//==============================================================================
void RouterListCommon::openHostPortSettings (juce::Component* clicked, juce::uint8 slot)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || clicked == nullptr || slot >= MidiController::numUsedHostRecords)
        return;

    auto panel = std::make_unique<SettingsUsbDevPortObject> (this, slot, routerKind);
    panel->setDevice (device->usbHostDevices[slot]);
    launchCallOut (std::move (panel), *clicked);
}

void RouterListCommon::openPortRename (juce::Component* clicked, int port)
{
    if (clicked != nullptr)
        launchCallOut (std::make_unique<MidiInOutRenameObject> (this, port, routerKind), *clicked);
}

void RouterListCommon::launchCallOut (std::unique_ptr<juce::Component> content, juce::Component& clicked)
{
    callOuts.removeIf ([] (const juce::Component::SafePointer<juce::CallOutBox>& box) { return box == nullptr; });

    auto& box = juce::CallOutBox::launchAsynchronously (std::move (content), clicked.getScreenBounds(), nullptr);
    callOuts.add (&box);
}

void RouterListCommon::dismissCallOuts (bool apply)
{
    for (auto& box : callOuts)
    {
        if (auto* b = box.getComponent())
        {
            // The panel applies (or drops) its edit now, while everything it reaches still exists;
            // its box deletes it later.
            for (auto* child : b->getChildren())
                if (auto* panel = dynamic_cast<RouterCallOutPanel*> (child))
                    panel->closePanel (apply);

            b->exitModalState (0);
            b->setVisible (false);
        }
    }

    callOuts.clear();
}

//==============================================================================
juce::TextButton& RouterListCommon::createInputButton (int index)
{
    if (inputButtons[index] == nullptr)
    {
        inputButtons[index] = std::make_unique<juce::TextButton> ("MidiInButton");
        inputButtons[index]->setRadioGroupId (1);
        inputButtons[index]->setColour (juce::TextButton::buttonOnColourId, headingColour);
        inputButtons[index]->addListener (this);
        addChildComponent (*inputButtons[index]);
        inputButtons[index]->toFront (false);
    }

    return *inputButtons[index];
}

juce::ToggleButton& RouterListCommon::createOutputToggle (int index)
{
    if (outputToggles[index] == nullptr)
    {
        outputToggles[index] = std::make_unique<juce::ToggleButton> ("MidiOutToggleButton");
        // The tick shows the routing, never a click of its own.
        outputToggles[index]->setClickingTogglesState (false);
        outputToggles[index]->addListener (this);
        addChildComponent (*outputToggles[index]);
        outputToggles[index]->toFront (false);
    }

    return *outputToggles[index];
}

void RouterListCommon::scheduleRebuild()
{
    rebuildScheduled = true;

    // Off the screen nothing paints: the next message does it.
    if (getPeer() == nullptr)
        triggerAsyncUpdate();
}

void RouterListCommon::rebuildIfScheduled()
{
    if (rebuildScheduled)
        rebuildGrid();
}

void RouterListCommon::handleAsyncUpdate()
{
    rebuildIfScheduled();
}

void RouterListCommon::rebuildGrid()
{
    rebuildScheduled = false;
    cancelPendingUpdate();
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const int w = getWidth();
    layout = RouterGridLayout::compute (*device, w);

    const int ports = getNumShownPorts();
    const int outX = RouterGridLayout::outputX (w);

    for (int i = 0; i < portSlotCapacity; ++i)
    {
        const bool exists = i < ports;

        if (exists)
        {
            auto& input = createInputButton (i);
            input.setButtonText (layout.inputNames[i]);
            input.setTooltip (layout.inputTooltips[i]);
            input.setVisible (layout.inputs[i].shown);

            if (layout.inputs[i].shown)
                placeRow (input, RouterGridLayout::inputX, layout.inputs[i].y, RouterGridLayout::inputWidth);

            auto& output = createOutputToggle (i);
            output.setButtonText (layout.outputNames[i]);
            output.setTooltip (layout.outputTooltips[i]);
            output.setVisible (layout.outputs[i].shown);

            if (layout.outputs[i].shown)
                placeRow (output, outX, layout.outputs[i].y, RouterGridLayout::outputWidth);
        }
        else
        {
            if (inputButtons[i] != nullptr)  inputButtons[i]->setVisible (false);
            if (outputToggles[i] != nullptr) outputToggles[i]->setVisible (false);
        }

        const bool pencils = exists && layout.nameButtonShown[i];
        inputNameButtons[i]->setVisible (pencils);
        outputNameButtons[i]->setVisible (pencils);

        if (pencils)
        {
            inputNameButtons[i]->setBounds (RouterGridLayout::inputX - 32, layout.inputs[i].centreY() - 8, 16, 16);
            outputNameButtons[i]->setBounds (outX + RouterGridLayout::outputWidth + 16, layout.outputs[i].centreY() - 8, 16, 16);
        }
    }

    // A selected input whose row went away is no longer selected.
    const int selected = getSelectedInput();

    if (selected >= 0 && ! inputButtons[selected]->isVisible())
        inputButtons[selected]->setToggleState (false, juce::dontSendNotification);

    for (int s = 0; s < hostSlotCapacity; ++s)
    {
        const bool inShown = s < layout.hostPorts && layout.inputs[s].shown;
        const bool outShown = s < layout.hostPorts && layout.outputs[s].shown;
        hostInPortButtons[s]->setVisible (inShown);
        hostInLockButtons[s]->setVisible (inShown);
        hostOutPortButtons[s]->setVisible (outShown);
        hostOutLockButtons[s]->setVisible (outShown);

        if (inShown)
        {
            const int centre = layout.inputs[s].centreY();
            hostInLockButtons[s]->setBounds (8, centre - 8, 16, 16);
            hostInPortButtons[s]->setBounds (32, centre - 9, 32, 18);
        }

        if (outShown)
        {
            const int centre = layout.outputs[s].centreY();
            const int right = outX + RouterGridLayout::outputWidth;
            hostOutPortButtons[s]->setBounds (right + 8, centre - 9, 32, 18);
            hostOutLockButtons[s]->setBounds (right + 48, centre - 8, 16, 16);
        }
    }

    for (int k = 0; k < RouterGridLayout::hubHeadingCapacity; ++k)
    {
        auto placeHeading = [] (juce::Label& label, const juce::Array<RouterGridLayout::HubHeading>& headings, int index, int x, int width)
        {
            const bool shown = index < headings.size();
            label.setVisible (shown);

            if (shown)
            {
                label.setText (headings.getReference (index).text, juce::dontSendNotification);
                label.setBounds (x, headings.getReference (index).y, width, RouterGridLayout::rowHeight);
            }
        };

        placeHeading (*hubLabelsIn[k], layout.hubHeadingsIn, k, RouterGridLayout::inputX, RouterGridLayout::inputWidth);
        placeHeading (*hubLabelsOut[k], layout.hubHeadingsOut, k, outX, RouterGridLayout::outputWidth);
    }

    auto placeNotice = [] (juce::Label& label, const RouterGridLayout::Notice& notice)
    {
        label.setVisible (notice.shown);
        label.setBounds (notice.bounds);

        if (notice.text.isNotEmpty())
            label.setText (notice.text, juce::dontSendNotification);
    };

    placeNotice (*noDeviceInLabel, layout.noDeviceIn);
    placeNotice (*noDeviceOutLabel, layout.noDeviceOut);
    placeNotice (*availableInLabel, layout.availableIn);
    placeNotice (*availableOutLabel, layout.availableOut);

    int height = layout.height;
    setSize (w, height);
    layoutGroupLabels (true);

    // The reservation view spans the space between the two columns, from above the host heading.
    if (auto* view = getUsbPortsReservation())
    {
        const int top = hostInputsLabel->getY() - 46;
        const int x0 = hostInputsLabel->getRight();
        const int x1 = hostOutputsIcon->getX();
        const int extra = view->layoutRows (height - top);

        if (extra > 0)
            setSize (w, height + extra);

        reservationViewport->setBounds (x0, top, x1 - x0, height - 10 - top + extra);
        view->setSize (x1 - x0, height - 10 - top + extra);
        view->updateForProduct();
    }

    applyEnablement();
    updateRoutes();
}

void RouterListCommon::layoutGroupLabels (bool visible)
{
    juce::Label* inputLabels[] = { deviceInputsLabel.get(), bluetoothInputLabel.get(), midiInputsLabel.get(), hostInputsLabel.get() };
    juce::Label* outputLabels[] = { deviceOutputsLabel.get(), bluetoothOutputLabel.get(), midiOutputsLabel.get(), hostOutputsLabel.get() };
    juce::ImageButton* inputIcons[] = { deviceInputsIcon.get(), bluetoothInputIcon.get(), midiInputsIcon.get(), hostInputsIcon.get() };
    juce::ImageButton* outputIcons[] = { deviceOutputsIcon.get(), bluetoothOutputIcon.get(), midiOutputsIcon.get(), hostOutputsIcon.get() };

    auto* device = MidiController::getInstance();

    if (device == nullptr || ! ProductTables::isHostCode (device->productCode))
    {
        for (int g = 0; g < RouterGridLayout::numGroups; ++g)
            for (auto* c : { (juce::Component*) inputLabels[g], (juce::Component*) outputLabels[g],
                             (juce::Component*) inputIcons[g], (juce::Component*) outputIcons[g] })
                c->setVisible (false);

        return;
    }

    const bool usbC = layout.usbCHost;
    const auto hostPicture = usbC ? RouterImages::usbC() : RouterImages::usbA();
    hostInputsLabel->setText (TRANS (usbC ? "USB-C Host Ins" : "USB-A Host Ins"), juce::dontSendNotification);
    hostOutputsLabel->setText (TRANS (usbC ? "USB-C Host Outs" : "USB-A Host Outs"), juce::dontSendNotification);
    hostInputsIcon->setButtonText (hostInputsLabel->getText());
    hostOutputsIcon->setButtonText (hostOutputsLabel->getText());
    RouterImages::setPicture (*hostInputsIcon, hostPicture);
    RouterImages::setPicture (*hostOutputsIcon, hostPicture);

    for (int g = 0; g < RouterGridLayout::numGroups; ++g)
    {
        const auto& in = layout.inputGroups[g];
        const auto& out = layout.outputGroups[g];
        inputLabels[g]->setBounds (in.labelBounds);
        outputLabels[g]->setBounds (out.labelBounds);
        inputIcons[g]->setCentrePosition (in.iconCentre);
        outputIcons[g]->setCentrePosition (out.iconCentre);

        for (auto* c : { (juce::Component*) inputLabels[g], (juce::Component*) inputIcons[g] })
            c->setVisible (visible && in.shown);

        for (auto* c : { (juce::Component*) outputLabels[g], (juce::Component*) outputIcons[g] })
            c->setVisible (visible && out.shown);
    }

    noDeviceInLabel->setBounds (layout.noDeviceIn.bounds);
    noDeviceOutLabel->setBounds (layout.noDeviceOut.bounds);
    availableInLabel->setBounds (layout.availableIn.bounds);
    availableOutLabel->setBounds (layout.availableOut.bounds);
}

//==============================================================================
void RouterListCommon::updateEnablement (bool shouldEnableInputs, bool shouldEnableOutputs)
{
    enableInputs = shouldEnableInputs;
    enableOutputs = shouldEnableOutputs;
    applyEnablement();
}

void RouterListCommon::applyEnablement()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const auto e = RouterGridEnablement::compute (*device, enableInputs, enableOutputs, isReservationViewOpen());

    for (int i = 0; i < portSlotCapacity; ++i)
    {
        if (inputButtons[i] != nullptr)  inputButtons[i]->setEnabled (e.input[i]);
        if (outputToggles[i] != nullptr) outputToggles[i]->setEnabled (e.output[i]);
    }

    for (int s = 0; s < hostSlotCapacity; ++s)
    {
        const auto& slot = e.hostSlots[s];
        hostInPortButtons[s]->setEnabled (slot.inPorts);
        hostOutPortButtons[s]->setEnabled (slot.outPorts);

        if (inPortsColours[s] != slot.inPortsColour)
            hostInPortButtons[s]->setColour (juce::TextButton::buttonColourId, juce::Colour (inPortsColours[s] = slot.inPortsColour));

        if (outPortsColours[s] != slot.outPortsColour)
            hostOutPortButtons[s]->setColour (juce::TextButton::buttonColourId, juce::Colour (outPortsColours[s] = slot.outPortsColour));

        hostInLockButtons[s]->setEnabled (slot.inLock);
        hostOutLockButtons[s]->setEnabled (slot.outLock);
    }
}

//==============================================================================
void RouterListCommon::updateHostPortName (int index)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const int a = device->getNumUsbHostPorts();
    const bool isInput = index < a;
    const int slot = isInput ? index : index - a;

    if (juce::isPositiveAndBelow (slot, hostSlotCapacity))
    {
        juce::String tooltip;
        const auto name = device->getPortName (slot, isInput ? "In" : "Out", &tooltip, true, false, false, true, true, true);

        if (isInput && inputButtons[slot] != nullptr)
        {
            inputButtons[slot]->setButtonText (name);
            inputButtons[slot]->setTooltip (tooltip);
        }
        else if (! isInput && outputToggles[slot] != nullptr)
        {
            outputToggles[slot]->setButtonText (name);
            outputToggles[slot]->setTooltip (tooltip);
        }
    }

    if (auto* view = getUsbPortsReservation())
        view->scheduleDeviceChoicesRefill();
}

void RouterListCommon::updatePortName (int index)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const int ports = device->getNumUsbHostPorts() + device->getNumLocalPorts();
    const bool isInput = index < ports;
    const int port = isInput ? index : index - ports;

    if (juce::isPositiveAndBelow (port, portSlotCapacity))
    {
        juce::String tooltip;
        const auto name = device->getPortName (port, isInput ? "In" : "Out", &tooltip, true, false, false, true, true, true);
        juce::Button* button = isInput ? (juce::Button*) inputButtons[port].get() : (juce::Button*) outputToggles[port].get();

        if (button != nullptr)
        {
            button->setButtonText (name);

            // A port the routing table has no place for keeps its notice.
            const bool unavailable = ProductTables::isHostCode (device->productCode)
                                      && port >= (isInput ? (int) MidiController::numRouterRows : 32);

            if (! unavailable)
                button->setTooltip (tooltip);
        }
    }

    if (auto* view = getUsbPortsReservation())
        view->scheduleDeviceChoicesRefill();
}

void RouterListCommon::setInputLockImage (int slot, bool reserved)
{
    if (juce::isPositiveAndBelow (slot, hostSlotCapacity) && hostInLockButtons[slot] != nullptr)
        RouterImages::setPicture (*hostInLockButtons[slot], reserved ? lockedImage : unlockedImage);
}

void RouterListCommon::setOutputLockImage (int slot, bool reserved)
{
    if (juce::isPositiveAndBelow (slot, hostSlotCapacity) && hostOutLockButtons[slot] != nullptr)
        RouterImages::setPicture (*hostOutLockButtons[slot], reserved ? lockedImage : unlockedImage);
}
