// Shared between the windowing layer's Win32 files; not for its callers.
#pragma once

// The program's module, stored by os_Initialize: the default source of
// dialog templates, bitmaps and icons.
void os_layer_set_module(void* module);
void* os_layer_module();
