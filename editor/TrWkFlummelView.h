// The effect's own editor: a view component that builds one toolkit manager with the window's
// groups, knobs, buttons and displays, answers the Zero and Prefs buttons, scales itself from the
// stored preference and closes the preferences dialogs it opened when it goes.
#pragma once

#include <memory>
#include <vector>

#include "framework/view/AUCarbonViewBase.h"

namespace TW {
class Button;
class Font;
class Manager;
class WaveformDisplay;
}  // namespace TW

class TrWkFlummelView : public AUCarbonViewBase {
public:
    static constexpr SInt16 windowW = 770;
    static constexpr SInt16 windowH = 315;
    // Help texts of the buttons: help index -2 shows entry 0, -3 entry 1.
    static const char* const pHelpStrings[2];

    explicit TrWkFlummelView(ComponentInstance instance);
    ~TrWkFlummelView() override;

    OSStatus CreateCarbonView(AudioUnit unit, WindowRef window, ControlRef parent, const Float32Point& location,
                              const Float32Point& size, ControlRef& outControl) override;
    OSStatus CreateUI(Float32 xOffset, Float32 yOffset) override;

    // Scales the editor; unless `paneOnly`, the host window is hidden, fitted and shown again.
    void SetGuiScale(float scale, bool paneOnly);

    // Zero buttons: set Re-Sync (4) or LFO Re-Sync (16) to 1; the engine clears it when it acts.
    static void SyncButtonProc(TW::Button* button, void* view);
    static void LfoSyncButtonProc(TW::Button* button, void* view);

    // The preferences dialogs this view opened; each is disposed with the view.
    void AddDialog(WindowRef dialog);
    void RemoveDialog(WindowRef dialog);
    const std::vector<WindowRef>& Dialogs() const { return mDialogs; }

    TW::Manager* GetManager() const { return mManager.get(); }
    TW::WaveformDisplay* GetWaveformDisplay() const { return mWaveformDisplay; }

private:
    void SetReSync(int paramID) const;

    std::unique_ptr<TW::Font> mLargeFont;
    std::unique_ptr<TW::Font> mSmallFont;
    std::unique_ptr<TW::Manager> mManager;  // destroyed before the fonts it draws with
    TW::WaveformDisplay* mWaveformDisplay = nullptr;
    std::vector<WindowRef> mDialogs;
};
