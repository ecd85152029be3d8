// A module that is not a plug-in: it has no PlugInMain.

extern "C" __attribute__((visibility("default"))) int PlenvoNotAPlugin() { return 0; }
