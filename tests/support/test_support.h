// What the engine tests need around them: the local servers, scratch folders
// and the parts of the platform a test sets up (trusted CA, registry).
#pragma once

#include <string>

// Endpoints of the servers started by the `mok_servers` test fixture, read
// from the environment (MOK_TEST_NGINX_URL, MOK_TEST_FAULT_URL,
// MOK_TEST_UNTRUSTED_URL, MOK_TEST_CLOSED_PORT_URL, MOK_TEST_DOCROOT, MOK_TEST_CA). Each URL ends
// with '/'. The test fails loudly when one is missing.
std::string NginxUrl();      // plain static serving of DocRoot()
std::string FaultUrl();      // the scripted server (see tests/servers/README.md)
std::string UntrustedUrl();  // a server whose certificate comes from an unknown CA
std::string ClosedPortUrl(); // a localhost port nothing listens on

// The nginx document root as a path this process can open ("Z:\..." under
// Wine); the patch folder is DocRoot() + "mok-patch" + separator.
std::string DocRoot();
std::string PathJoin(const std::string& folder, const std::string& name);

// A new empty folder for one test, with a trailing separator.
std::string MakeTempFolder();
void RemoveTree(const std::string& path);

void WriteWholeFile(const std::string& path, const std::string& content);
bool ReadWholeFile(const std::string& path, std::string* content);
bool FileExists(const std::string& path);

// SHA-1 of `data` as 40 lowercase hex digits, computed without the platform
// layer (a plain reference implementation), so tests do not trust the code
// under test.
std::string Sha1Hex(const std::string& data);

// Back-end specific (tests/support/posix, tests/support/win32).
void TrustTestCa();  // native: the test CA for libcurl; Win32: the prefix trusts it already
void SetRuntimeRegistryValue(bool keyPresent, unsigned value);  // HKLM ...\VC\Runtimes\x86 "Installed"
