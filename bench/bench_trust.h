// How the benchmark driver trusts the local server's throwaway CA.
#pragma once

// Natively the CA file is handed to libcurl; the Win32 build relies on the
// Wine prefix trusting it and ignores the path.
void BenchTrustCa(const char* pemPath);
