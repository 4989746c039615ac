#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/ReservationTable.h"
#include "routing/ReservationChecks.h"
#include "routing/ComboBoxUsbPortReservation.h"

class RouterListCommon;

/** The host-port reservation view of the routing grid: one row per internal host input port and
    one per host output port, each tying the port to one cable of one USB device (attached now, or
    remembered from earlier connections).

    While the view is open its edits are held in its reservation table beside the device model;
    closing it with consistent rows puts them into the model and marks them for writing (the grid
    sends them a second later). The rows of ports that carry a device sit beside that port's row in
    the grid; the rows of the other ports are listed below the grid while "Show all" is on.
*/
class UsbPortsReservation : public juce::Component,
                            public juce::ComboBox::Listener,
                            public juce::Button::Listener
{
public:
    static constexpr int rowCount = 24;

    UsbPortsReservation (RouterListCommon* grid, int routerKind);
    ~UsbPortsReservation() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;

    //==============================================================================
    /** Shows the rows of the product, sets the title, fills the choices and lays the view out. */
    void updateForProduct();
    /** Places the rows of the host ports that have no row in the grid, from top on; the height
        they take (0 when none is placed). */
    int layoutRows (int top);
    /** Shows the reservation of one entry in its row and its padlock. */
    void showReservation (int entry);
    /** Empties every reservation; with queue the changed entries are marked for writing. */
    void resetAllReservations (bool queue);
    bool checkInputReservations();
    bool checkOutputReservations();
    /** Builds the device choices of one row (every row when row is negative) again. */
    void fillInputDeviceChoices (int row);
    void fillOutputDeviceChoices (int row);
    /** The device names changed: the choices are built again when the rows are next shown. */
    void scheduleDeviceChoicesRefill();

    //==============================================================================
    // Remembered devices
    bool storePreviousDevice (const juce::String& vidPidText, const juce::String& name, int inputCableCount, int outputCableCount);
    bool findPreviousDevice (const juce::String& vidPidText, juce::String& name, int& inputCableCount, int& outputCableCount);
    juce::StringArray listPreviousDevices();
    void clearPreviousDevices();

    //==============================================================================
    /** The view opens or closes. Opening shows every row from the reservation table. */
    void setOpen (bool open);
    /** The view closes with consistent rows: its edits go into the model, marked for writing. */
    void applyReservations();
    /** The product is gone: edits are dropped. */
    void productLost();
    ReservationTable& getTable() noexcept { return table; }
    /** The row as its widgets show it. */
    ReservationRow getInputRow (int row) const;
    ReservationRow getOutputRow (int row) const;

    //==============================================================================
    RouterListCommon* grid;
    int routerKind;

    std::unique_ptr<juce::ComboBox> inputCableCombos[rowCount];
    std::unique_ptr<ComboBoxUsbPortReservation> inputDeviceCombos[rowCount];
    std::unique_ptr<ComboBoxUsbPortReservation> outputDeviceCombos[rowCount];
    std::unique_ptr<juce::ComboBox> outputCableCombos[rowCount];
    std::unique_ptr<juce::Label> inputNumberLabels[rowCount];
    std::unique_ptr<juce::Label> outputNumberLabels[rowCount];
    std::unique_ptr<juce::Label> unconnectedLabel, titleLabel, inputsLabel, outputsLabel, messageLabel;
    std::unique_ptr<juce::TextButton> resetAllButton, autoReserveButton;
    std::unique_ptr<juce::ToggleButton> showAllToggle;

private:
    bool isOpen() const;
    int getHostPorts() const;
    /** Rows of each column: A, or 24 without a product. */
    int getRowsShown() const;
    juce::PropertiesFile* getPropertiesFile() const;
    void markReservationChanged (int entry);
    void autoReserve();
    void storeInputRow (int row);
    void storeOutputRow (int row);
    void storeRow (bool inputs, int row);
    void updateInputRowState (int row);
    void updateOutputRowState (int row);
    void updateRowState (bool inputs, int row);
    void updatePadlock (int entry);
    void fillDeviceChoices (bool inputs, int row);
    void showRow (bool inputs, int row, PortReservation entry);
    void placeInputRow (bool show, int row, int y);
    void placeOutputRow (bool show, int row, int y);
    /** Enables the tab's reservation button exactly when both columns are consistent. */
    void enableApplyWhenConsistent();
    void setApplyButtonText (const juce::String& text);

    ReservationTable table;
    bool choicesStale = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UsbPortsReservation)
};
