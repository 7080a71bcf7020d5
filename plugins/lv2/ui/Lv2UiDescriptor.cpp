#include "plugins/lv2/ui/Lv2UiDescriptor.h"

#include <cstdio>
#include <cstring>

#include "plugins/lv2/Lv2Variant.h"
#include "plugins/lv2/ui/Lv2Ui.h"

namespace {

Lv2Ui* Self(LV2UI_Handle h) { return static_cast<Lv2Ui*>(h); }

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    const Lv2Variant* variant = pluginUri ? Lv2Variant::Find(pluginUri) : nullptr;
    if (!variant || !widget) {
        std::fprintf(stderr, "flummel: no editor for %s\n", pluginUri ? pluginUri : "(no plug-in)");
        return nullptr;
    }
    std::unique_ptr<Lv2Ui> ui = Lv2Ui::Open(*variant, write, controller, features);
    if (!ui) return nullptr;
    *widget = ui->Widget();
    return ui.release();
}

void Cleanup(LV2UI_Handle h) { delete Self(h); }

void PortEvent(LV2UI_Handle h, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    Self(h)->PortEvent(port, size, format, buffer);
}

int Idle(LV2UI_Handle h) { return Self(h)->Idle(); }
int Show(LV2UI_Handle h) { return Self(h)->Show(); }
int Hide(LV2UI_Handle h) { return Self(h)->Hide(); }

const void* ExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idle{Idle};
    static const LV2UI_Show_Interface show{Show, Hide};
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
    if (std::strcmp(uri, LV2_UI__showInterface) == 0) return &show;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor{kLv2UiUri, Instantiate, Cleanup, PortEvent, ExtensionData};

}  // namespace

const LV2UI_Descriptor* Lv2UiDescriptor(uint32_t index) { return index == 0 ? &kDescriptor : nullptr; }
