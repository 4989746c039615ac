/* Full read of a simulated Norrim at zero added latency: the time a read takes, and the tool's own
   processor time per reply (the message thread's CPU time, which is where every reply is parsed and
   the next request built; the simulated product answers on a thread of its own).

   Run by hand, under a display for the variant with the main window:
       xvfb-run -a build/release/pellion_bench
*/

#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "device/MidiController.h"
#include "app/MainComponent.h"
#include "sim/SimulatedMidiPortSystem.h"
#include "support/MessagePump.h"

#include <ctime>
#include <X11/Xlib.h>

namespace
{
    /** A bare X server without a window manager lacks atoms the framework asks for. */
    int ignoreXError (::Display*, XErrorEvent*) { return 0; }

    double threadCpuSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + (double) t.tv_nsec * 1.0e-9;
    }

    SimulatedProduct::Config norrim()
    {
        SimulatedProduct::Config config;
        config.productCode = productNorrim;
        config.hostFirmware = { 4, 6 };
        config.deviceFirmware = { 7, 1 };
        return config;
    }

    bool readHasEnded (MidiController& device)
    {
        return ! device.fullReadRunning && device.waitingForReply == 0 && device.getFirstPendingKind() == 0xFF;
    }

    /** Reads everything once per iteration and reports the time and the message thread's CPU per reply. */
    void runFullReads (benchmark::State& state, MidiController& device, SimulatedProductRunner& product)
    {
        double cpu = 0.0;
        juce::int64 replies = 0;

        for (auto _ : state)
        {
            product.clearLogs();
            const auto cpuBefore = threadCpuSeconds();
            device.readAllSettings();

            if (! MessagePump::runUntil ([&device] { return readHasEnded (device); }, 10000))
            {
                state.SkipWithError ("the full read did not end");
                break;
            }

            cpu += threadCpuSeconds() - cpuBefore;
            replies += product.getSentMessages().size();
        }

        state.counters["replies"] = benchmark::Counter ((double) replies, benchmark::Counter::kAvgIterations);
        state.counters["us_cpu_per_reply"] = replies > 0 ? 1.0e6 * cpu / (double) replies : 0.0;
    }
}

/** The device object alone, with no window. */
static void FullReadNorrim_DeviceOnly (benchmark::State& state)
{
    auto ports = std::make_shared<SimulatedMidiPortSystem>();
    MidiPortSystem::install (ports);
    auto product = ports->addProduct (norrim());
    auto& device = *MidiController::getInstance();

    device.setProductCode (productNorrim);
    device.deviceMode = 1;
    device.hostFirmwareVersion = MidiController::firmwareVersionFromDigits (4, 6);
    device.deviceFirmwareVersion = MidiController::firmwareVersionFromDigits (7, 1);
    device.inputIdentifier = product->getInputInfo().identifier;
    device.outputIdentifier = product->getOutputInfo().identifier;
    device.openInput (device.inputIdentifier);
    device.openOutput (device.outputIdentifier);

    runFullReads (state, device, *product);

    device.closeInput();
    device.closeOutput();
    device.setProductCode (productNone);
    device.resetDeviceState();
    MidiPortSystem::install (nullptr);
}

/** The whole application window, connected by its own monitor, with the router tab shown. */
static void FullReadNorrim_MainWindow (benchmark::State& state)
{
    auto ports = std::make_shared<SimulatedMidiPortSystem>();
    MidiPortSystem::install (ports);
    auto product = ports->addProduct (norrim());

    juce::DocumentWindow window ("Pellion Tools", juce::Colours::black, 0);
    auto main = std::make_unique<MainComponent>();
    window.setContentNonOwned (main.get(), true);
    window.setVisible (true);
    auto& device = *MidiController::getInstance();

    // The monitor finds the product and reads it once before the measured reads.
    if (! MessagePump::runUntil ([&device] { return device.readCompleteSent != 0 && readHasEnded (device); }, 20000))
    {
        state.SkipWithError ("the main window did not connect to the simulated product");
    }
    else
    {
        MessagePump::runFor (200);
        runFullReads (state, device, *product);
    }

    window.clearContentComponent();
    main = nullptr;   // deletes the device object for good: this runs last
    MidiPortSystem::install (nullptr);
}

// Fixed iterations: each benchmark runs once. The main window's run, which deletes the device object
// when its main component goes, is registered in main, after every benchmark of the other files.
BENCHMARK (FullReadNorrim_DeviceOnly)->Unit (benchmark::kMillisecond)->Iterations (200);

int main (int argc, char** argv)
{
    // The main window keeps its properties under the home folder: give it one of its own.
    auto home = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("pellion-bench-home");
    home.deleteRecursively();
    home.getChildFile ("Desktop").createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    XSetErrorHandler (ignoreXError);
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::RegisterBenchmark ("FullReadNorrim_MainWindow", FullReadNorrim_MainWindow)
        ->Unit (benchmark::kMillisecond)->Iterations (200);
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    MidiController::deleteInstance();
    home.deleteRecursively();
    return 0;
}
