// A DLL that stands in for one a download folder might hold under a system
// DLL's name: the tests copy it beside a program as "version.dll" and check
// which copy that program loads.
extern "C" __declspec(dllexport) int OndrelPlantedCopy() { return 1; }
