#pragma once
// Looks into the libraries this test process has loaded, without loading any.
namespace fixtures {

// Whether the library file (as built) is loaded in this process now.
bool isLoaded(const char* file);
// The export name of the loaded library file; null when either is missing.
void* loadedExport(const char* file, const char* name);

}  // namespace fixtures
