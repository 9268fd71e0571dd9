#include "platform/coreaudio/SimulatedAudioHardware.h"

#include "platform/corefoundation/CFString.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform
{
    namespace
    {
        constexpr UInt32 valueSize = 4;
        constexpr int defaultChannelCount = 2;

        std::optional<ControlKind> controlKindOf (AudioDevicePropertyID property)
        {
            if (property == kAudioDevicePropertyVolumeScalar)
                return ControlKind::volume;

            if (property == kAudioDevicePropertyMute)
                return ControlKind::mute;

            return {};
        }

        PlatformCall hardwareCall (PlatformOperation operation, AudioHardwarePropertyID property, const UInt32* size)
        {
            PlatformCall call;
            call.operation = operation;
            call.property = property;

            if (size != nullptr)
                call.size = *size;

            return call;
        }

        PlatformCall deviceCall (PlatformOperation operation, AudioDeviceID id, UInt32 element, Boolean isInput,
                                 AudioDevicePropertyID property)
        {
            PlatformCall call;
            call.operation = operation;
            call.device = id;
            call.element = element;
            call.scope = scopeOf (isInput);
            call.property = property;
            return call;
        }

        // The four bytes of a volume or mute value, when the caller gave room for them.
        std::optional<UInt32> valueAt (AudioDevicePropertyID property, const void* data, UInt32 size)
        {
            if (! controlKindOf (property).has_value() || data == nullptr || size < valueSize)
                return {};

            UInt32 value = 0;
            std::memcpy (&value, data, valueSize);
            return value;
        }

        SimulatedHardwareState defaultState()
        {
            SimulatedHardwareState defaults;
            defaults.devices.push_back (SimulatedDevice::withSettableControls (SimulatedAudioHardware::builtInDeviceId,
                                                                              "Built-in Output", "Built-in Input",
                                                                              defaultChannelCount));
            defaults.devices.push_back (SimulatedDevice::withSettableControls (SimulatedAudioHardware::soundDeviceId,
                                                                              "Quenmar K-DAR7 Sound Device",
                                                                              "Quenmar K-DAR7 Sound Device",
                                                                              defaultChannelCount));
            return defaults;
        }
    }

    SimulatedAudioHardware& SimulatedAudioHardware::shared()
    {
        static SimulatedAudioHardware hardware;
        return hardware;
    }

    SimulatedAudioHardware::SimulatedAudioHardware()
        : state (defaultState())
    {
    }

    //==============================================================================
    void SimulatedAudioHardware::resetToDefault()
    {
        state = defaultState();
    }

    void SimulatedAudioHardware::removeAllDevices()
    {
        state.devices.clear();
    }

    void SimulatedAudioHardware::plugIn (const SimulatedDevice& device)
    {
        if (auto* existing = findDevice (device.id))
            *existing = device;
        else
            state.devices.push_back (device);
    }

    void SimulatedAudioHardware::unplug (AudioDeviceID id)
    {
        auto& devices = state.devices;
        devices.erase (std::remove_if (devices.begin(), devices.end(), [id] (const auto& device) { return device.id == id; }),
                       devices.end());
    }

    SimulatedControl SimulatedAudioHardware::getControl (AudioDeviceID id, AudioScope scope, UInt32 element, ControlKind kind) const
    {
        const auto* device = findDevice (id);
        return device != nullptr ? device->scope (scope).findControl (element, kind) : SimulatedControl::absent();
    }

    void SimulatedAudioHardware::setVolume (AudioDeviceID id, AudioScope scope, UInt32 element, Float32 level)
    {
        if (auto* control = findExistingControl (id, scope, element, ControlKind::volume))
            control->bits = SimulatedControl::bitsOf (level);
    }

    void SimulatedAudioHardware::setMute (AudioDeviceID id, AudioScope scope, UInt32 element, UInt32 value)
    {
        if (auto* control = findExistingControl (id, scope, element, ControlKind::mute))
            control->bits = value;
    }

    Float32 SimulatedAudioHardware::getVolume (AudioDeviceID id, AudioScope scope, UInt32 element) const
    {
        return SimulatedControl::levelOf (getControl (id, scope, element, ControlKind::volume).bits);
    }

    UInt32 SimulatedAudioHardware::getMute (AudioDeviceID id, AudioScope scope, UInt32 element) const
    {
        return getControl (id, scope, element, ControlKind::mute).bits;
    }

    void SimulatedAudioHardware::setDeviceListExtraBytes (UInt32 extraBytes)
    {
        state.deviceListExtraBytes = extraBytes % valueSize;
    }

    void SimulatedAudioHardware::failDeviceList()
    {
        state.deviceListFails = true;
    }

    void SimulatedAudioHardware::failCallNumber (int callsToPass)
    {
        state.callsBeforeInjectedFailure = callsToPass;
    }

    void SimulatedAudioHardware::clearFailures()
    {
        state.deviceListFails = false;
        state.callsBeforeInjectedFailure.reset();
    }

    std::vector<PlatformCall> SimulatedAudioHardware::getCallLog() const
    {
        return state.callLog;
    }

    void SimulatedAudioHardware::clearCallLog()
    {
        state.callLog.clear();
    }

    //==============================================================================
    OSStatus SimulatedAudioHardware::hardwareGetPropertyInfo (AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable)
    {
        auto call = hardwareCall (PlatformOperation::hardwareGetPropertyInfo, property, outSize);

        if (outWritable != nullptr)
            call.writableFlag = *outWritable;

        return logged (call, [&]
        {
            if (property != kAudioHardwarePropertyDevices)
                return kAudioHardwareUnknownPropertyError;

            if (outSize != nullptr)
                *outSize = (UInt32) deviceListBytes().size();

            if (outWritable != nullptr)
                *outWritable = false;

            return kAudioHardwareNoError;
        });
    }

    OSStatus SimulatedAudioHardware::hardwareGetProperty (AudioHardwarePropertyID property, UInt32* ioSize, void* outData)
    {
        return logged (hardwareCall (PlatformOperation::hardwareGetProperty, property, ioSize), [&]
        {
            if (property != kAudioHardwarePropertyDevices)
                return kAudioHardwareUnknownPropertyError;

            return readDeviceList (ioSize, outData);
        });
    }

    OSStatus SimulatedAudioHardware::deviceGetPropertyInfo (AudioDeviceID id, UInt32 element, Boolean isInput,
                                                            AudioDevicePropertyID property, UInt32* outSize, Boolean* outWritable)
    {
        auto call = deviceCall (PlatformOperation::deviceGetPropertyInfo, id, element, isInput, property);

        if (outSize != nullptr)
            call.size = *outSize;

        if (outWritable != nullptr)
            call.writableFlag = *outWritable;

        return logged (call, [&] { return describeDeviceProperty (call, outSize, outWritable); });
    }

    OSStatus SimulatedAudioHardware::deviceGetProperty (AudioDeviceID id, UInt32 element, Boolean isInput,
                                                        AudioDevicePropertyID property, UInt32* ioSize, void* outData)
    {
        auto call = deviceCall (PlatformOperation::deviceGetProperty, id, element, isInput, property);

        if (ioSize != nullptr)
        {
            call.size = *ioSize;
            call.value = valueAt (property, outData, *ioSize);
        }

        return logged (call, [&] { return readDeviceProperty (call, ioSize, outData); });
    }

    OSStatus SimulatedAudioHardware::deviceSetProperty (AudioDeviceID id, const AudioTimeStamp* when, UInt32 element, Boolean isInput,
                                                        AudioDevicePropertyID property, UInt32 size, const void* data)
    {
        auto call = deviceCall (PlatformOperation::deviceSetProperty, id, element, isInput, property);
        call.size = size;
        call.hasTimeStamp = when != nullptr;
        call.value = valueAt (property, data, size);

        return logged (call, [&] { return writeDeviceProperty (call, size, data); });
    }

    //==============================================================================
    SimulatedDevice* SimulatedAudioHardware::findDevice (AudioDeviceID id)
    {
        return const_cast<SimulatedDevice*> (std::as_const (*this).findDevice (id));
    }

    const SimulatedDevice* SimulatedAudioHardware::findDevice (AudioDeviceID id) const
    {
        const auto& devices = state.devices;
        auto found = std::find_if (devices.begin(), devices.end(), [id] (const auto& device) { return device.id == id; });
        return found != devices.end() ? &*found : nullptr;
    }

    SimulatedControl* SimulatedAudioHardware::findExistingControl (AudioDeviceID id, AudioScope scope, UInt32 element, ControlKind kind)
    {
        auto* device = findDevice (id);

        if (device == nullptr || element >= device->scope (scope).elements.size())
            return nullptr;

        auto& control = device->scope (scope).elements[element].control (kind);
        return control.exists ? &control : nullptr;
    }

    std::vector<char> SimulatedAudioHardware::deviceListBytes() const
    {
        std::vector<char> bytes (state.devices.size() * sizeof (AudioDeviceID) + state.deviceListExtraBytes, 0);

        for (size_t index = 0; index < state.devices.size(); ++index)
            std::memcpy (bytes.data() + index * sizeof (AudioDeviceID), &state.devices[index].id, sizeof (AudioDeviceID));

        return bytes;
    }

    bool SimulatedAudioHardware::injectFailure (const PlatformCall& call)
    {
        auto& countdown = state.callsBeforeInjectedFailure;
        bool injected = false;

        if (countdown.has_value())
        {
            injected = *countdown == 0;

            if (injected)
                countdown.reset();
            else
                --*countdown;
        }

        const bool isDeviceListCall = call.operation == PlatformOperation::hardwareGetPropertyInfo
                                   || call.operation == PlatformOperation::hardwareGetProperty;
        return injected || (isDeviceListCall && state.deviceListFails);
    }

    OSStatus SimulatedAudioHardware::logged (PlatformCall call, const std::function<OSStatus()>& perform)
    {
        call.result = injectFailure (call) ? kAudioHardwareUnspecifiedError : perform();
        state.callLog.push_back (call);
        return call.result;
    }

    OSStatus SimulatedAudioHardware::readDeviceList (UInt32* ioSize, void* outData) const
    {
        if (ioSize == nullptr)
            return kAudioHardwareBadParameterError;

        const auto bytes = deviceListBytes();
        const auto bytesToWrite = (UInt32) std::min ((size_t) *ioSize, bytes.size());

        if (bytesToWrite > 0)
        {
            if (outData == nullptr)
                return kAudioHardwareBadParameterError;

            std::memcpy (outData, bytes.data(), bytesToWrite);
        }

        *ioSize = bytesToWrite;
        return kAudioHardwareNoError;
    }

    OSStatus SimulatedAudioHardware::lookUpControl (const PlatformCall& call, SimulatedControl& control) const
    {
        const auto* device = findDevice (call.device);

        if (device == nullptr)
            return kAudioHardwareBadDeviceError;

        const auto kind = controlKindOf (call.property);

        if (! kind.has_value())
            return kAudioHardwareUnknownPropertyError;

        control = device->scope (call.scope).findControl (call.element, *kind);
        return control.exists ? kAudioHardwareNoError : kAudioHardwareUnknownPropertyError;
    }

    OSStatus SimulatedAudioHardware::describeDeviceProperty (const PlatformCall& call, UInt32* outSize, Boolean* outWritable) const
    {
        SimulatedControl control;

        if (const auto status = lookUpControl (call, control); status != kAudioHardwareNoError)
            return status;

        if (outSize != nullptr)
            *outSize = valueSize;

        if (outWritable != nullptr)
            *outWritable = control.settable;

        return kAudioHardwareNoError;
    }

    OSStatus SimulatedAudioHardware::readName (const PlatformCall& call, UInt32* ioSize, void* outData) const
    {
        const auto* device = findDevice (call.device);

        if (device == nullptr)
            return kAudioHardwareBadDeviceError;

        const auto& name = device->scope (call.scope).name;

        if (call.element != 0 || name.answer == SimulatedName::Answer::failure)
            return kAudioHardwareUnknownPropertyError;

        if (*ioSize < sizeof (CFStringRef))
            return kAudioHardwareBadPropertySizeError;

        const CFStringRef reference = name.answer == SimulatedName::Answer::text ? CFString::create (name.text) : nullptr;
        std::memcpy (outData, &reference, sizeof (reference));
        *ioSize = (UInt32) sizeof (reference);
        return kAudioHardwareNoError;
    }

    OSStatus SimulatedAudioHardware::readDeviceProperty (const PlatformCall& call, UInt32* ioSize, void* outData) const
    {
        if (ioSize == nullptr || outData == nullptr)
            return kAudioHardwareBadParameterError;

        if (call.property == kAudioDevicePropertyDeviceNameCFString)
            return readName (call, ioSize, outData);

        SimulatedControl control;

        if (const auto status = lookUpControl (call, control); status != kAudioHardwareNoError)
            return status;

        if (*ioSize < valueSize)
            return kAudioHardwareBadPropertySizeError;

        std::memcpy (outData, &control.bits, valueSize);
        *ioSize = valueSize;
        return kAudioHardwareNoError;
    }

    OSStatus SimulatedAudioHardware::writeDeviceProperty (const PlatformCall& call, UInt32 size, const void* data)
    {
        if (findDevice (call.device) == nullptr)
            return kAudioHardwareBadDeviceError;

        const auto kind = controlKindOf (call.property);

        if (! kind.has_value())
            return kAudioHardwareUnknownPropertyError;

        auto* control = findExistingControl (call.device, call.scope, call.element, *kind);

        if (control == nullptr)
            return kAudioHardwareUnknownPropertyError;

        if (! control->settable)
            return kAudioHardwareIllegalOperationError;

        if (size != valueSize)
            return kAudioHardwareBadPropertySizeError;

        if (data == nullptr)
            return kAudioHardwareBadParameterError;

        std::memcpy (&control->bits, data, valueSize);
        return kAudioHardwareNoError;
    }
}
