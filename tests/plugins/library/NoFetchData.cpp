// A library that loads but exports no FetchData.
extern "C" __declspec(dllexport) int __cdecl SomethingElse() { return 0; }
