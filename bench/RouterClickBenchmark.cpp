/* One click on an output toggle of the Norrim's routing grid, from the click to the end of the
   grid's repaint, rendered into an image: the route flips in the model, the ticks and lines are
   worked out again, and the whole grid is drawn. The goal is one frame (16 ms).

   Run by hand, under a display:
       xvfb-run -a build/release/pellion_bench --benchmark_filter=RouterClick
*/

#include <benchmark/benchmark.h>

#include "device/MidiController.h"
#include "routing/RouterMidi.h"
#include "routing/DefaultRouting.h"

namespace
{
    /** Twelve two-cable devices on the Norrim's built-in hub: every host slot is taken. */
    void attachDevices (MidiController& device)
    {
        const int a = device.getNumUsbHostPorts();

        for (int record = 0; record < 2 * a; ++record)
        {
            auto& r = device.usbHostDevices[record];
            const int slot = record % a;
            r.deviceHandle = 1 + slot / 2;
            r.hubId = 1;
            r.hubPort = (juce::uint8) (1 + slot / 2);
            r.hubPortCount = 12;
            r.inputCables = r.outputCables = 2;
            r.cableIndex = (juce::uint8) (slot % 2);
            r.deviceInstance = 0;
            r.vidPid = 0x0A4D0000 + slot / 2;
            juce::String ("Device " + juce::String (1 + slot / 2)).copyToUTF8 (r.name, sizeof (r.name));
        }
    }
}

static void RouterClickNorrim (benchmark::State& state)
{
    auto& device = *MidiController::getInstance();
    device.setProductCode (productNorrim);
    device.deviceMode = 1;
    device.hostFirmwareVersion = MidiController::firmwareVersionFromDigits (4, 6);
    attachDevices (device);
    DefaultRouting::resetPresets (device, true);

    {
        RouterMidi tab (nullptr);
        tab.setSize (800, 448);
        tab.updateEnablement (editorIdle);
        auto& grid = *tab.getRouterList();
        grid.rebuildGrid();

        const int firstUsbCInput = 24;
        grid.buttonClicked (grid.inputButtons[firstUsbCInput].get());

        juce::Image image (juce::Image::ARGB, grid.getWidth(), grid.getHeight(), true);
        auto* toggle = grid.outputToggles[26].get();

        for (auto _ : state)
        {
            grid.buttonClicked (toggle);
            juce::Graphics g (image);
            grid.paintEntireComponent (g, true);
        }

        grid.stopTimer();
        state.counters["grid_height"] = grid.getHeight();
    }

    device.pendingRequests.clearAll();
    device.setProductCode (productNone);
    device.resetDeviceState();
}

BENCHMARK (RouterClickNorrim)->Unit (benchmark::kMillisecond);
