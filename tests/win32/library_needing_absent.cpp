// A library that imports a call from another library which the build keeps out of every folder
// that is searched: loading it fails with ERROR_MOD_NOT_FOUND although the file itself is there.
extern "C" __declspec(dllimport) int AbsentLibraryCall();

extern "C" __declspec(dllexport) int CallIntoAbsentLibrary() {
  return AbsentLibraryCall();
}
