// The client's own version and build, as the about text, the command line and the version
// check show them.
#ifndef HV_CLIENT_SHELL_PROGRAM_VERSION_H_
#define HV_CLIENT_SHELL_PROGRAM_VERSION_H_

constexpr const char* kProgramVersion = "2.0";
constexpr const char* kProgramBuild = "186";

#endif  // HV_CLIENT_SHELL_PROGRAM_VERSION_H_
