// The library that library_needing_absent.cpp imports from, built only for its import library.
extern "C" __declspec(dllexport) int AbsentLibraryCall() {
  return 0;
}
