/* A stand-in add-on file for the demo; only its resources are read. */
__declspec(dllexport) int DemoAddonId(void) { return 1; }
