// An input bus, fed by a connection to another unit's output or by a render callback.
#pragma once

#include <atomic>

#include "framework/AUIOElement.h"

class AUInputElement : public AUIOElement {
public:
    enum InputType : UInt32 { kNoInput = 0, kFromConnection = 1, kFromCallback = 2 };

    explicit AUInputElement(AUBase* unit) : AUIOElement(unit) {}

    OSStatus SetStreamFormat(const CAStreamBasicDescription& format) override;
    bool NeedsBufferSpace() const override { return mInputType.load(std::memory_order_relaxed) == kFromCallback; }

    void SetConnection(const AudioUnitConnection& connection);
    void SetInputCallback(AURenderCallback proc, void* userData);
    bool IsActive() const { return mInputType.load(std::memory_order_relaxed) != kNoInput; }
    bool IsCallback() const { return mInputType.load(std::memory_order_relaxed) == kFromCallback; }
    bool HasConnection() const { return mInputType.load(std::memory_order_relaxed) == kFromConnection; }
    const AudioUnitConnection& GetConnection() const { return mConnection; }

    OSStatus PullInput(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp,
                       AudioUnitElement element, UInt32 frames);

private:
    std::atomic<UInt32> mInputType{kNoInput};
    std::atomic<bool> mInputChanging{false};
    AURenderCallback mInputProc = nullptr;
    void* mInputProcRefCon = nullptr;
    AudioUnitConnection mConnection{};
    AudioUnitRenderProc mConnRenderProc = nullptr;
    void* mConnInstanceStorage = nullptr;
};
