// A header moved into client/views/log that kept the guard of its old folder.
#ifndef HV_CLIENT_VIEWS_MOVED_GUARD_H_
#define HV_CLIENT_VIEWS_MOVED_GUARD_H_
#endif  // HV_CLIENT_VIEWS_MOVED_GUARD_H_
