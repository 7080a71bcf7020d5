#include "framework/AUBase.h"

#include <algorithm>

#include "framework/CAAudioChannelLayout.h"
#include "platform/audio/AudioUnitCalls.h"

AUBase::AUBase(ComponentInstance instance, UInt32 numInputElements, UInt32 numOutputElements,
               UInt32 numGroupElements, UInt32 numPartElements)
    : ComponentBase(instance),
      mInitNumInputEls(numInputElements),
      mInitNumOutputEls(numOutputElements),
      mInitNumGroupEls(numGroupElements),
      mInitNumPartEls(numPartElements)
{
    mCurrentPresetName = CFRef<CFStringRef>::Retained(CFSTR("Untitled"));
    mCurrentPreset.presetNumber = -1;
    mCurrentPreset.presetName = mCurrentPresetName;
    mParamList.reserve(24);
    SetMaxFramesPerSlice(kDefaultMaxFramesPerSlice);
    GlobalScope().Initialize(this, kAudioUnitScope_Global, 1);
}

AUBase::~AUBase() = default;

void AUBase::PreDestructor()
{
    DoCleanup();
}

OSStatus AUBase::Reset(AudioUnitScope, AudioUnitElement)
{
    mLastRenderedSampleTime = -1.0;
    return noErr;
}

OSStatus AUBase::DoInitialize()
{
    if (mInitialized) return noErr;
    const OSStatus result = Initialize();
    if (result != noErr) return result;
    mInitialized = true;  // first, so that the elements really allocate
    ReallocateBuffers();
    return noErr;
}

void AUBase::DoCleanup()
{
    if (mInitialized) Cleanup();
    mInitialized = false;
}

// ---- Property listeners --------------------------------------------------------------------

OSStatus AUBase::AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData)
{
    if (mPropertyListeners.capacity() == 0) mPropertyListeners.reserve(32);
    mPropertyListeners.push_back(PropertyListener{id, proc, userData});
    return noErr;
}

OSStatus AUBase::RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
    for (size_t i = mPropertyListeners.size(); i-- > 0;) {
        if (mPropertyListeners[i].propertyID == id && mPropertyListeners[i].listenerProc == proc)
            mPropertyListeners.erase(mPropertyListeners.begin() + std::ptrdiff_t(i));
    }
    return noErr;
}

void AUBase::PropertyChanged(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
    // Indexing, not iterators: a listener may add listeners while being told.
    for (size_t i = 0; i < mPropertyListeners.size(); ++i) {
        const PropertyListener l = mPropertyListeners[i];
        if (l.propertyID == id) l.listenerProc(l.listenerRefCon, GetComponentInstance(), id, scope, element);
    }
}

// ---- Render notifications ------------------------------------------------------------------

OSStatus AUBase::SetRenderNotification(AURenderCallback proc, void* userData)
{
    if (!proc) return paramErr;
    mRenderCallbacks.deferred_add(RenderCallback{proc, userData});
    return noErr;
}

OSStatus AUBase::RemoveRenderNotification(AURenderCallback proc, void* userData)
{
    mRenderCallbacks.deferred_remove(RenderCallback{proc, userData});
    return noErr;
}

// ---- Parameters ----------------------------------------------------------------------------

OSStatus AUBase::GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue& outValue)
{
    if (scope == kAudioUnitScope_Group) return GetGroupParameter(id, element, outValue);
    outValue = SafeGetElement(scope, element)->GetParameter(id);
    return noErr;
}

OSStatus AUBase::SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue value, UInt32 bufferOffset)
{
    if (scope == kAudioUnitScope_Group) return SetGroupParameter(id, element, value, bufferOffset);
    SafeGetElement(scope, element)->SetParameter(id, value);
    return noErr;
}

OSStatus AUBase::ScheduleParameter(const AudioUnitParameterEvent* events, UInt32 count)
{
    for (UInt32 i = 0; i < count; ++i) {
        const AudioUnitParameterEvent& e = events[i];
        if (e.eventType == kParameterEvent_Immediate) {
            const OSStatus result = SetParameter(e.parameter, e.scope, e.element, e.eventValues.immediate.value,
                                                 e.eventValues.immediate.bufferOffset);
            if (result != noErr) return result;
        }
        mParamList.push_back(e);
    }
    return noErr;
}

OSStatus AUBase::GetParameterList(AudioUnitScope scope, AudioUnitParameterID* outList, UInt32& outNumParameters)
{
    AUScope& s = GetScope(scope);
    AUElement* most = nullptr;
    UInt32 mostCount = 0;
    for (UInt32 i = 0; i < s.GetNumberOfElements(); ++i) {
        AUElement* e = s.GetElement(i);
        if (e && e->GetNumberOfParameters() > mostCount) {
            most = e;
            mostCount = e->GetNumberOfParameters();
        }
    }
    if (outList && most) most->GetParameterList(outList);
    outNumParameters = mostCount;
    return noErr;
}

// ---- Elements, busses, connections ---------------------------------------------------------

AUElement* AUBase::CreateElement(AudioUnitScope scope, AudioUnitElement)
{
    switch (scope) {
    case kAudioUnitScope_Global:
    case kAudioUnitScope_Group:
    case kAudioUnitScope_Part: return new AUElement(this);
    case kAudioUnitScope_Input: return new AUInputElement(this);
    case kAudioUnitScope_Output: return new AUOutputElement(this);
    default: throw SInt32(kAudioUnitErr_InvalidScope);
    }
}

void AUBase::CreateElements()
{
    if (mElementsCreated) return;
    mScopes[kAudioUnitScope_Input].Initialize(this, kAudioUnitScope_Input, mInitNumInputEls);
    mScopes[kAudioUnitScope_Output].Initialize(this, kAudioUnitScope_Output, mInitNumOutputEls);
    mScopes[kAudioUnitScope_Group].Initialize(this, kAudioUnitScope_Group, mInitNumGroupEls);
    mScopes[kAudioUnitScope_Part].Initialize(this, kAudioUnitScope_Part, mInitNumPartEls);
    mElementsCreated = true;
}

OSStatus AUBase::SetBusCount(AudioUnitScope scope, UInt32 count)
{
    GetScope(scope).SetNumberOfElements(count);
    return noErr;
}

void AUBase::ReallocateBuffers()
{
    CreateElements();
    for (UInt32 i = 0; i < Outputs().GetNumberOfElements(); ++i) GetOutput(i)->AllocateBuffer();
    for (UInt32 i = 0; i < Inputs().GetNumberOfElements(); ++i) GetInput(i)->AllocateBuffer();
    mBuffersAllocated = true;
}

void AUBase::SetMaxFramesPerSlice(UInt32 frames)
{
    mMaxFramesPerSlice = frames;
    if (mBuffersAllocated) ReallocateBuffers();
    PropertyChanged(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0);
}

OSStatus AUBase::SetConnection(const AudioUnitConnection& connection)
{
    AUInputElement* input = GetInput(connection.destInputNumber);
    if (connection.sourceAudioUnit) {
        CAStreamBasicDescription sourceFormat;
        UInt32 size = sizeof(AudioStreamBasicDescription);
        OSStatus result = AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_StreamFormat,
                                               kAudioUnitScope_Output, connection.sourceOutputNumber, &sourceFormat,
                                               &size);
        if (result != noErr) return result;
        result = DispatchSetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input,
                                     connection.destInputNumber, &sourceFormat, sizeof(AudioStreamBasicDescription));
        if (result != noErr) return result;
    }
    input->SetConnection(connection);
    PropertyChanged(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, connection.destInputNumber);
    return noErr;
}

OSStatus AUBase::SetInputCallback(AudioUnitPropertyID propertyId, AudioUnitElement element, AURenderCallback proc,
                                  void* userData)
{
    GetInput(element)->SetInputCallback(proc, userData);
    PropertyChanged(propertyId, kAudioUnitScope_Input, element);
    return noErr;
}

// ---- Stream formats ------------------------------------------------------------------------

const CAStreamBasicDescription& AUBase::GetStreamFormat(AudioUnitScope scope, AudioUnitElement element)
{
    switch (scope) {
    case kAudioUnitScope_Global: return GetOutput(0)->GetStreamFormat();
    case kAudioUnitScope_Input: return GetInput(element)->GetStreamFormat();
    case kAudioUnitScope_Output: return GetOutput(element)->GetStreamFormat();
    default: throw SInt32(kAudioUnitErr_InvalidScope);
    }
}

OSStatus AUBase::ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                    const CAStreamBasicDescription&, const CAStreamBasicDescription& format)
{
    AUIOElement* io;
    switch (scope) {
    case kAudioUnitScope_Global: io = GetOutput(0); break;
    case kAudioUnitScope_Input: io = GetInput(element); break;
    case kAudioUnitScope_Output: io = GetOutput(element); break;
    default: throw SInt32(kAudioUnitErr_InvalidScope);
    }
    const OSStatus result = io->SetStreamFormat(format);
    if (result != noErr) return result;
    PropertyChanged(kAudioUnitProperty_StreamFormat, scope, element);
    return noErr;
}

bool AUBase::IsStreamFormatWritable(AudioUnitScope scope, AudioUnitElement element)
{
    switch (scope) {
    case kAudioUnitScope_Global: return StreamFormatWritable(kAudioUnitScope_Output, 0);
    case kAudioUnitScope_Input:
        if (GetInput(element)->HasConnection()) return false;
        return StreamFormatWritable(kAudioUnitScope_Input, element);
    case kAudioUnitScope_Output: return StreamFormatWritable(kAudioUnitScope_Output, element);
    default: return false;
    }
}

// ---- Channel layouts -----------------------------------------------------------------------

UInt32 AUBase::GetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayout* outLayout,
                                     Boolean& outWritable)
{
    return GetIOElement(scope, element)->GetAudioChannelLayout(outLayout, outWritable);
}

OSStatus AUBase::SetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element,
                                       const AudioChannelLayout* layout)
{
    AUIOElement* io = GetIOElement(scope, element);
    if (!layout) return kAudioUnitErr_InvalidPropertyValue;
    if (CAAudioChannelLayout::NumberChannels(*layout) != io->GetStreamFormat().mChannelsPerFrame)
        return kAudioUnitErr_InvalidPropertyValue;
    const UInt32 numTags = io->GetChannelLayoutTags(nullptr);
    std::vector<AudioChannelLayoutTag> tags(numTags);
    if (numTags) io->GetChannelLayoutTags(tags.data());
    if (std::find(tags.begin(), tags.end(), layout->mChannelLayoutTag) == tags.end())
        return kAudioUnitErr_InvalidPropertyValue;
    return io->SetAudioChannelLayout(*layout);
}

OSStatus AUBase::RemoveAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element)
{
    AUIOElement* io = GetIOElement(scope, element);
    Boolean writable = false;
    if (io->GetAudioChannelLayout(nullptr, writable) == 0) return noErr;
    return io->RemoveAudioChannelLayout();
}
