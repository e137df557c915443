// nimbra-planted.dll lies beside win32_tests.exe and nowhere in the system
// folder, as a DLL planted in the Downloads folder would lie beside the
// installer: the search order finds it, a SystemLibrary must not.
extern "C" __declspec(dllexport) int plantedMarker() { return 42; }
