#include "framework/AUInputElement.h"

#include "platform/audio/AudioUnitCalls.h"

OSStatus AUInputElement::SetStreamFormat(const CAStreamBasicDescription& format)
{
    const OSStatus result = AUIOElement::SetStreamFormat(format);
    if (result == noErr) AllocateBuffer();
    return result;
}

void AUInputElement::SetConnection(const AudioUnitConnection& connection)
{
    if (!connection.sourceAudioUnit) {
        mInputType.store(kNoInput, std::memory_order_relaxed);
        mIOBuffer.Deallocate();
        return;
    }
    mInputChanging.store(true, std::memory_order_seq_cst);
    mInputType.store(kFromConnection, std::memory_order_relaxed);
    mConnection = connection;
    mConnRenderProc = nullptr;
    AllocateBuffer();

    AudioUnitRenderProc proc = nullptr;
    UInt32 size = sizeof(proc);
    if (AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                             kAudioUnitRenderSelect, &proc, &size) != noErr)
        proc = nullptr;
    mConnRenderProc = proc;
    mConnInstanceStorage = GetComponentInstanceStorage(connection.sourceAudioUnit);
    mInputChanging.store(false, std::memory_order_seq_cst);
}

void AUInputElement::SetInputCallback(AURenderCallback proc, void* userData)
{
    if (!proc) {
        mInputType.store(kNoInput, std::memory_order_relaxed);
        mIOBuffer.Deallocate();
        return;
    }
    mInputChanging.store(true, std::memory_order_seq_cst);
    mInputType.store(kFromCallback, std::memory_order_relaxed);
    mInputProc = proc;
    mInputProcRefCon = userData;
    AllocateBuffer();
    mInputChanging.store(false, std::memory_order_seq_cst);
}

OSStatus AUInputElement::PullInput(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp,
                                   AudioUnitElement element, UInt32 frames)
{
    const UInt32 type = mInputType.load(std::memory_order_relaxed);
    if (type == kNoInput || mInputChanging.load(std::memory_order_seq_cst)) return kAudioUnitErr_NoConnection;

    if (NeedsBufferSpace() && frames > mIOBuffer.GetAllocatedFrames()) AllocateBuffer(frames);

    OSStatus result;
    if (type == kFromCallback) {
        AudioBufferList& list = mIOBuffer.PrepareBuffer(mStreamFormat, frames);
        result = mInputProc(mInputProcRefCon, &ioActionFlags, &timeStamp, element, frames, &list);
    } else {
        AudioBufferList& list = mIOBuffer.PrepareNullBuffer(mStreamFormat, frames);
        if (mConnRenderProc)
            result = mConnRenderProc(mConnInstanceStorage, &ioActionFlags, &timeStamp, mConnection.sourceOutputNumber,
                                     frames, &list);
        else
            result = AudioUnitRender(mConnection.sourceAudioUnit, &ioActionFlags, &timeStamp,
                                     mConnection.sourceOutputNumber, frames, &list);
    }
    if (mInputType.load(std::memory_order_relaxed) == kNoInput) return kAudioUnitErr_NoConnection;
    return result;
}
