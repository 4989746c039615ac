#include "sim/SimulatedProductRunner.h"

namespace
{
    std::atomic<int> runnerCount { 0 };

    juce::MemoryBlock bytesOf (const juce::MidiMessage& message)
    {
        return { message.getRawData(), (size_t) message.getRawDataSize() };
    }
}

//==============================================================================
SimulatedProductRunner::SimulatedProductRunner (const SimulatedProduct::Config& config)
    : product (config),
      runnerId (++runnerCount)
{
    thread = std::thread ([this] { run(); });
}

SimulatedProductRunner::~SimulatedProductRunner()
{
    {
        const std::lock_guard<std::mutex> sl (stateLock);
        exiting = true;
    }

    stateChanged.notify_all();
    thread.join();
}

//==============================================================================
void SimulatedProductRunner::plugIn (bool holdInBootloader)
{
    {
        const std::lock_guard<std::mutex> sl (stateLock);
        reenumerationDue = false;

        if (! plugged)
        {
            // Back on power after an unplug, the product starts afresh.
            if (std::exchange (powerLost, false))
                product.powerUp (holdInBootloader);

            plugged = true;
            ++enumeration;

            const auto prefix = "simulated-" + juce::String (runnerId) + "-" + juce::String (enumeration);
            inputInfo = { product.getInputPortName(), prefix + "-in" };
            outputInfo = { product.getOutputPortName(), prefix + "-out" };
        }
    }

    stateChanged.notify_all();
}

void SimulatedProductRunner::unplug()
{
    {
        const std::lock_guard<std::mutex> sl (stateLock);
        powerLost = true;
    }

    removePorts();
}

void SimulatedProductRunner::removePorts()
{
    {
        const std::lock_guard<std::mutex> sl (stateLock);
        plugged = false;
        reenumerationDue = false;
        jobs.clear();
        inputInfo = {};
        outputInfo = {};
    }

    stateChanged.notify_all();

    const juce::ScopedLock sl (connectionLock);
    connections.clear();
}

bool SimulatedProductRunner::isPluggedIn() const
{
    const std::lock_guard<std::mutex> sl (stateLock);
    return plugged;
}

juce::MidiDeviceInfo SimulatedProductRunner::getInputInfo() const
{
    const std::lock_guard<std::mutex> sl (stateLock);
    return inputInfo;
}

juce::MidiDeviceInfo SimulatedProductRunner::getOutputInfo() const
{
    const std::lock_guard<std::mutex> sl (stateLock);
    return outputInfo;
}

//==============================================================================
int SimulatedProductRunner::connectInput (const juce::String& identifier, Receiver receiver)
{
    const juce::ScopedLock sl (connectionLock);

    {
        const std::lock_guard<std::mutex> state (stateLock);

        if (! plugged || identifier != inputInfo.identifier)
            return -1;
    }

    Connection connection;
    connection.id = nextConnectionId++;
    connection.receiver = std::move (receiver);
    connections.push_back (std::move (connection));
    return connections.back().id;
}

void SimulatedProductRunner::setInputStarted (int connection, bool started)
{
    const juce::ScopedLock sl (connectionLock);

    for (auto& c : connections)
        if (c.id == connection)
            c.started = started;
}

void SimulatedProductRunner::disconnectInput (int connection)
{
    const juce::ScopedLock sl (connectionLock);

    connections.erase (std::remove_if (connections.begin(), connections.end(),
                                       [connection] (const Connection& c) { return c.id == connection; }),
                       connections.end());
}

bool SimulatedProductRunner::receiveFromTool (const juce::String& outputIdentifier, const juce::MidiMessage& message)
{
    {
        const std::lock_guard<std::mutex> sl (stateLock);

        if (! plugged || outputIdentifier != outputInfo.identifier)
            return false;

        Job job;
        job.enumeration = enumeration;
        job.isRequest = true;
        job.request = bytesOf (message);

        receivedLog.add (job.request);
        jobs.push_back (std::move (job));
    }

    stateChanged.notify_all();
    return true;
}

//==============================================================================
int SimulatedProductRunner::attachUsbDevice (const SimulatedProduct::UsbDeviceSpec& spec)
{
    int handle = -1;
    sendUnsolicited (product.attachUsbDevice (spec, &handle));
    return handle;
}

void SimulatedProductRunner::detachUsbDevice (int deviceHandle)
{
    sendUnsolicited (product.detachUsbDevice (deviceHandle));
}

void SimulatedProductRunner::sendDeviceResetNotice()
{
    sendUnsolicited ({ product.makeDeviceResetNotice() });
}

void SimulatedProductRunner::sendUsbError (int code)
{
    sendUnsolicited ({ product.makeUsbError (code) });
}

void SimulatedProductRunner::sendUnsolicited (const juce::Array<juce::MemoryBlock>& messages)
{
    {
        const std::lock_guard<std::mutex> sl (stateLock);

        if (! plugged || messages.isEmpty())
            return;

        Job job;
        job.enumeration = enumeration;
        job.messages = messages;
        jobs.push_back (std::move (job));
    }

    stateChanged.notify_all();
}

void SimulatedProductRunner::changePresetOnProduct (int preset)
{
    product.changePresetOnProduct (preset);
}

void SimulatedProductRunner::replugAsApplication (SimulatedProduct::FirmwareVersion newVersion)
{
    product.leaveBootloader (newVersion);
    reenumerate();
}

void SimulatedProductRunner::setReplyDelay (int milliseconds)
{
    const std::lock_guard<std::mutex> sl (stateLock);
    replyDelayMs = juce::jmax (0, milliseconds);
}

//==============================================================================
juce::Array<juce::MemoryBlock> SimulatedProductRunner::getReceivedMessages() const
{
    const std::lock_guard<std::mutex> sl (stateLock);
    return receivedLog;
}

juce::Array<juce::MemoryBlock> SimulatedProductRunner::getSentMessages() const
{
    const std::lock_guard<std::mutex> sl (stateLock);
    return sentLog;
}

void SimulatedProductRunner::clearLogs()
{
    const std::lock_guard<std::mutex> sl (stateLock);
    receivedLog.clear();
    sentLog.clear();
}

bool SimulatedProductRunner::waitUntilIdle (int timeoutMs)
{
    std::unique_lock<std::mutex> sl (stateLock);
    return stateChanged.wait_for (sl, std::chrono::milliseconds (timeoutMs),
                                  [this] { return jobs.empty() && ! busy && ! reenumerationDue; });
}

//==============================================================================
void SimulatedProductRunner::injectFaultOnce (FaultOnTheWay fault, int requestIndex, int delayMs)
{
    const std::lock_guard<std::mutex> sl (stateLock);
    armedFault = {};
    armedFault.armed = true;
    armedFault.fault = fault;
    armedFault.requestIndex = requestIndex;
    armedFault.delayMs = juce::jmax (0, delayMs);
}

bool SimulatedProductRunner::faultWasInjected() const
{
    const std::lock_guard<std::mutex> sl (stateLock);
    return armedFault.injected;
}

bool SimulatedProductRunner::takeDueFault (const juce::MemoryBlock& request, ArmedFault& due)
{
    const auto* bytes = static_cast<const juce::uint8*> (request.getData());

    if (request.getSize() < 10 || bytes[0] != 0xF0 || (bytes[6] & 0x0F) == SYSX_TYPE_INFO)
        return false;

    const std::lock_guard<std::mutex> sl (stateLock);

    if (! armedFault.armed || armedFault.requestsCounted++ != armedFault.requestIndex)
        return false;

    armedFault.armed = false;
    armedFault.injected = true;
    due = armedFault;
    return true;
}

void SimulatedProductRunner::spoilAnswer (juce::MemoryBlock& answer, FaultOnTheWay fault, int requestIndex)
{
    const int size = (int) answer.getSize();

    if (size < 3)
        return;

    auto* bytes = static_cast<juce::uint8*> (answer.getData());
    const int position = 1 + requestIndex % (size - 2);

    if (fault == FaultOnTheWay::corruptAnswerByte)
    {
        bytes[position] ^= 0x01;
    }
    else
    {
        bytes[position] = 0xF7;
        answer.setSize ((size_t) position + 1);
    }
}

//==============================================================================
void SimulatedProductRunner::run()
{
    std::unique_lock<std::mutex> sl (stateLock);

    while (! exiting)
    {
        if (reenumerationDue && std::chrono::steady_clock::now() >= reenumerationTime)
        {
            busy = true;
            sl.unlock();
            plugIn();
            sl.lock();
            busy = false;
            stateChanged.notify_all();
            continue;
        }

        if (jobs.empty())
        {
            if (reenumerationDue)
                stateChanged.wait_until (sl, reenumerationTime);
            else
                stateChanged.wait (sl);

            continue;
        }

        auto job = std::move (jobs.front());
        jobs.pop_front();
        busy = true;

        sl.unlock();
        process (job);
        sl.lock();

        busy = false;
        stateChanged.notify_all();
    }
}

void SimulatedProductRunner::process (const Job& job)
{
    ArmedFault due;
    const bool faultDue = job.isRequest && takeDueFault (job.request, due);

    if (faultDue && due.fault == FaultOnTheWay::unplugWhileOut)
    {
        unplug();
        return;
    }

    auto messages = job.isRequest ? product.handleRequest (job.request) : job.messages;

    if (faultDue && ! messages.isEmpty())
    {
        if (due.fault == FaultOnTheWay::dropAnswer)
            messages.remove (0);
        else if (due.fault == FaultOnTheWay::corruptAnswerByte || due.fault == FaultOnTheWay::truncateAnswer)
            spoilAnswer (messages.getReference (0), due.fault, due.requestIndex);
    }

    for (int i = 0; i < messages.size(); ++i)
    {
        int delay;

        {
            const std::lock_guard<std::mutex> sl (stateLock);
            delay = replyDelayMs;
        }

        if (faultDue && due.fault == FaultOnTheWay::delayAnswer && i == 0)
            delay += due.delayMs;

        if (delay > 0 && ! pauseUnlessExiting (delay))
            return;

        deliver (messages.getReference (i), job.enumeration);
    }

    if (job.isRequest && product.takeReenumerationRequest())
        reenumerate();
}

void SimulatedProductRunner::deliver (const juce::MemoryBlock& message, int messageEnumeration)
{
    const juce::ScopedLock sl (connectionLock);
    juce::String source;

    {
        const std::lock_guard<std::mutex> state (stateLock);

        if (! plugged || enumeration != messageEnumeration)
            return;

        sentLog.add (message);
        source = inputInfo.identifier;
    }

    const juce::MidiMessage midiMessage (message.getData(), (int) message.getSize());

    // A copy, so that a receiver may close its own input.
    const auto receivers = connections;

    for (auto& connection : receivers)
        if (connection.started)
            connection.receiver (source, midiMessage);
}

void SimulatedProductRunner::reenumerate()
{
    // The product restarts on its own power: only its ports go away for a while.
    removePorts();

    {
        const std::lock_guard<std::mutex> sl (stateLock);
        reenumerationDue = true;
        reenumerationTime = std::chrono::steady_clock::now()
                          + std::chrono::milliseconds (product.getConfig().reenumerationDelayMs);
    }

    stateChanged.notify_all();
}

bool SimulatedProductRunner::pauseUnlessExiting (int milliseconds)
{
    std::unique_lock<std::mutex> sl (stateLock);
    return ! stateChanged.wait_for (sl, std::chrono::milliseconds (milliseconds), [this] { return exiting; });
}
