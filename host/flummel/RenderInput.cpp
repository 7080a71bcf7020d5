#include "host/flummel/RenderInput.h"

#include <algorithm>
#include <cstring>

#include "host/flummel/DemoSignal.h"

RenderInput::RenderInput(const std::string& path)
{
    if (path.empty())
        mDemo = DemoSignal();
    else
        mFile.emplace(path);
}

double RenderInput::SampleRate() const
{
    return mFile ? mFile->SampleRate() : mDemo.sampleRate;
}

size_t RenderInput::Channels() const
{
    return mFile ? mFile->Channels() : mDemo.channels.size();
}

size_t RenderInput::Frames() const
{
    return mFile ? mFile->Frames() : mDemo.Frames();
}

void RenderInput::Read(float* const* channels, size_t count, size_t frames)
{
    size_t got = 0;
    if (mFile && count == mFile->Channels()) {
        got = mFile->Read(channels, frames);
    } else if (!mFile && mPosition < mDemo.Frames()) {
        got = std::min(frames, mDemo.Frames() - mPosition);
        for (size_t c = 0; c < count; ++c)
            if (c < mDemo.channels.size()) std::memcpy(channels[c], mDemo.channels[c].data() + mPosition, got * sizeof(float));
            else std::fill(channels[c], channels[c] + got, 0.f);
    }
    for (size_t c = 0; c < count; ++c) std::fill(channels[c] + got, channels[c] + frames, 0.f);
    mPosition += frames;
}

void RenderInput::ThrowIfFailed() const
{
    if (mFile) mFile->ThrowIfFailed();
}
