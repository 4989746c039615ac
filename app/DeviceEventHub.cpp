#include "app/DeviceEventHub.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"
#include "settings/PresetName.h"

namespace
{
    /** A Settings sub-panel shows the device model again, when the product has that panel. */
    template <typename Panel>
    void refreshPanel (Panel* panel)
    {
        if (panel != nullptr)
            panel->refresh();
    }
}

MidiController* DeviceEventHub::device() const
{
    return MidiController::getInstance();
}

//==============================================================================
void DeviceEventHub::requestGoingOut (int type, int kind)
{
    auto* router = main.getRouter();
    auto* filter = main.getFilter();
    auto* mapper = main.getMapper();
    auto* settings = main.getSettings();

    auto buttonsOff = [this] { main.setEditorsEnabled (false); };
    auto routerBusy = [router, type]
    {
        if (router != nullptr)
        {
            if (type == SYSX_TYPE_READ)
                router->refreshRouter();

            router->updateEnablement (editorBusy);
        }
    };
    auto filterBusy   = [filter]   { if (filter != nullptr)   filter->updateEnablement (editorBusy); };
    auto mapperBusy   = [mapper]   { if (mapper != nullptr)   mapper->updateEnablement (editorBusy); };
    auto settingsBusy = [settings] { if (settings != nullptr) settings->updateEnablement (editorBusy); };

    switch (kind)
    {
        case kindRouter:
            routerBusy();
            buttonsOff();
            break;

        case kindChannelFilter:
        case kindMessageFilter:
            filterBusy();
            buttonsOff();
            break;

        case kindMapper:
            mapperBusy();
            buttonsOff();
            break;

        case kindPresetSetting:
            filterBusy();
            mapperBusy();
            routerBusy();
            settingsBusy();
            buttonsOff();
            break;

        case kindTrsType:
        case kindSync24:
        case kindPowerDown:
            settingsBusy();
            buttonsOff();
            break;

        case kindPresetName:
        case kindVelocityCurve:
        case kindUsbProductName:
            buttonsOff();
            break;

        case kindUsbDevicePorts:
        case kindPortReservation:
            if (type == SYSX_TYPE_WRITE)
            {
                if (router != nullptr)
                    router->updateEnablement (editorIdle);

                buttonsOff();

                // The product reports its devices again once the new masks or reservations apply.
                if (auto* list = router != nullptr ? router->getRouterList() : nullptr)
                {
                    if (list->hostListRefreshPending)
                    {
                        if (auto* d = device())
                            for (int i = 0; i < MidiController::numUsedHostRecords; ++i)
                                d->clearHostDevice (i);

                        list->rebuildGrid();
                        list->hostListRefreshPending = false;
                    }
                }
            }
            break;

        default:
            break;
    }
}

//==============================================================================
void DeviceEventHub::itemAnswered (int type, int kind, int item)
{
    if (type == SYSX_TYPE_READ)
        itemRead (kind, item);
    else if (type == SYSX_TYPE_WRITE)
        itemAcknowledged (kind);
}

void DeviceEventHub::itemRead (int kind, int item)
{
    auto* router = main.getRouter();
    auto* filter = main.getFilter();
    auto* mapper = main.getMapper();
    auto* settings = main.getSettings();

    auto settingsIdle = [settings] { if (settings != nullptr) settings->updateEnablement (editorIdle); };
    auto routerRefreshed = [router]
    {
        if (router != nullptr)
        {
            router->refreshRouter();
            router->updateEnablement (editorIdle);
        }
    };

    switch (kind)
    {
        case kindRouter:
            routerRefreshed();
            settingsIdle();
            break;

        case kindChannelFilter:
        case kindMessageFilter:
            if (filter != nullptr)
            {
                filter->updateEnablement (editorIdle);
                filter->showPortFilters (item);
            }
            settingsIdle();
            break;

        case kindMapper:
            if (mapper != nullptr)
            {
                mapper->updateEnablement (editorIdle);

                for (auto* page : mapper->getMapperPages())
                    if (page->mapperIndex == item)
                        page->loadFromRecord();
            }
            settingsIdle();
            break;

        case kindPresetSetting:
            presetSettingRead();
            return;

        case kindTrsType:
            settingsIdle();
            refreshPanel (settings != nullptr ? settings->getTrsPanel() : nullptr);
            break;

        case kindSync24:
            settingsIdle();
            refreshPanel (settings != nullptr ? settings->getSync24Panel() : nullptr);
            break;

        case kindPowerDown:
            settingsIdle();
            refreshPanel (settings != nullptr ? settings->getPowerDownPanel() : nullptr);
            break;

        case kindPresetName:
        {
            if (auto* presets = main.getPresets())
                if (auto* d = device())
                    presets->setPresetItemText (item, PresetName::getDevicePresetName (*d, item));
            break;
        }

        case kindUsbDevicePorts:
            main.setEditorsEnabled (true);
            routerRefreshed();
            return;

        case kindPortReservation:
            main.setEditorsEnabled (true);
            routerRefreshed();
            if (auto* list = router != nullptr ? router->getRouterList() : nullptr)
                if (auto* reservation = list->getUsbPortsReservation())
                    reservation->showReservation (item);
            return;

        case kindVelocityCurve:
            if (mapper != nullptr)
                if (auto* curves = mapper->getCurveEditor())
                    if (curves->getSelectedCurve() == item)
                        curves->showSelectedCurve();
            break;

        case kindUsbProductName:
            settingsIdle();
            if (settings != nullptr)
                settings->loadUsbProductName();
            break;

        default:
            break;
    }

    main.setEditorsEnabled (true);
}

void DeviceEventHub::presetSettingRead()
{
    if (auto* filter = main.getFilter())
    {
        filter->updateEnablement (editorIdle);
        filter->showPortFilters (filter->getSelectedEntry());
    }

    if (auto* mapper = main.getMapper())
    {
        mapper->updateEnablement (editorIdle);
        const int selected = mapper->getSelectedPageIndex();

        if (juce::isPositiveAndBelow (selected, mapper->getMapperPages().size()))
            mapper->getMapperPages()[selected]->loadFromRecord();
    }

    if (auto* router = main.getRouter())
    {
        router->refreshRouter();
        router->updateEnablement (editorIdle);
    }

    if (auto* settings = main.getSettings())
        settings->updateEnablement (editorIdle);

    if (auto* presets = main.getPresets())
        if (auto* d = device())
            presets->selectPreset (d->currentPreset);

    main.setEditorsEnabled (true);
}

void DeviceEventHub::itemAcknowledged (int kind)
{
    auto* router = main.getRouter();
    auto* filter = main.getFilter();
    auto* mapper = main.getMapper();
    auto* settings = main.getSettings();

    switch (kind)
    {
        case kindRouter:
            if (router != nullptr)   router->updateEnablement (editorIdle);
            if (settings != nullptr) settings->updateEnablement (editorIdle);
            break;
        case kindChannelFilter:
        case kindMessageFilter:
            if (filter != nullptr)   filter->updateEnablement (editorIdle);
            if (settings != nullptr) settings->updateEnablement (editorIdle);
            break;
        case kindMapper:
            if (mapper != nullptr)   mapper->updateEnablement (editorIdle);
            if (settings != nullptr) settings->updateEnablement (editorIdle);
            break;
        case kindPresetSetting:
            if (mapper != nullptr)   mapper->updateEnablement (editorIdle);
            if (filter != nullptr)   filter->updateEnablement (editorIdle);
            if (router != nullptr)   router->updateEnablement (editorIdle);
            if (settings != nullptr) settings->updateEnablement (editorIdle);
            break;
        case kindTrsType:
        case kindSync24:
        case kindPowerDown:
            if (settings != nullptr) settings->updateEnablement (editorIdle);
            break;
        case kindUsbDevicePorts:
            if (router != nullptr)   router->updateEnablement (editorIdle);
            break;
        case kindPortReservation:
            if (router != nullptr)
            {
                router->updateEnablement (editorIdle);
                router->setPortReservationButtonText ({});
            }
            break;
        default:
            break;
    }

    main.setEditorsEnabled (true);
}

//==============================================================================
void DeviceEventHub::chainEnded (bool fullRead)
{
    if (fullRead)
        if (auto* fullMap = main.getFullMap())
            fullMap->refresh();
}

void DeviceEventHub::settingsReset()
{
    if (auto* presets = main.getPresets())
    {
        presets->fillPresetSelector();
        presets->resetPresetList();
    }

    if (auto* settings = main.getSettings())
    {
        settings->buildDeviceTabs();
        settings->resetDeviceSettings();
    }

    if (auto* router = main.getRouter())
    {
        router->refreshRouter();
        router->resetRouter (false, true);
    }

    if (auto* filter = main.getFilter())
    {
        filter->rebuildPortList();
        filter->resetFilters (false, true);
    }

    if (auto* mapper = main.getMapper())
    {
        mapper->refreshForDevice();
        mapper->resetMappers (false, true, false);
    }

    if (auto* fullMap = main.getFullMap())
        fullMap->refresh();
}

void DeviceEventHub::identityArriving()
{
    if (auto* upgrader = main.getUpgrader())
        upgrader->updateEnablement (editorIdle);
}

void DeviceEventHub::bootloaderAnswered (bool upgradeContinues)
{
    main.lockAllEditors (upgradeContinues);
}

//==============================================================================
void DeviceEventHub::hostRecordChanged (int index)
{
    auto* d = device();

    if (d == nullptr)
        return;

    const int hostPorts = d->getNumUsbHostPorts();
    auto* router = main.getRouter();
    auto* list = router != nullptr ? router->getRouterList() : nullptr;

    if (juce::isPositiveAndBelow (index, MidiController::numUsbHostRecords) && d->usbHostDevices[index].deviceHandle != -1)
    {
        if (auto* reservation = list != nullptr ? list->getUsbPortsReservation() : nullptr)
        {
            const auto& record = d->usbHostDevices[index];
            reservation->storePreviousDevice (juce::String ((juce::uint32) record.vidPid), record.getName(),
                                              record.inputCables, record.outputCables);
            reservation->showReservation (index);
        }
    }

    if (router != nullptr)
    {
        router->refreshRouter();
        router->updateEnablement (editorIdle);

        if (list != nullptr)
            for (int i = 0; i <= index; ++i)
                list->updateHostPortName (i);
    }

    if (auto* mapper = main.getMapper())
    {
        if (index < hostPorts)
        {
            for (auto* page : mapper->getMapperPages())
                page->updateHostPortName (index);

            mapper->repaint();
        }
    }

    if (auto* filter = main.getFilter())
        filter->updateHostPortName (index);

    if (auto* fullMap = main.getFullMap())
        fullMap->refreshHostPortName (index);

    main.setEditorsEnabled (true);
}

void DeviceEventHub::dumpTextArrived (const juce::String& text)
{
    if (auto* settings = main.getSettings())
        if (auto* dump = settings->getDumpPanel())
            dump->appendText (text);
}

void DeviceEventHub::deviceDescriptorArrived()
{
    if (auto* settings = main.getSettings())
        if (auto* dump = settings->getDumpPanel())
            dump->enableCopyButton();
}
