// cRegistryWords: the company and application words of every registry key the client uses
// ("Software\<company>\<application>\<section>"), fixed once at start-up.
#ifndef HV_CLIENT_SHELL_SETUP_REGISTRY_WORDS_H_
#define HV_CLIENT_SHELL_SETUP_REGISTRY_WORDS_H_

namespace hv {

class cRegistryWords {
 public:
  // "Quillmere" and "HouseDesk" when the key "Software\Quillmere" exists in the user's
  // registry store, otherwise "Orvane LLC" and "Varnholt".
  static cRegistryWords Choose();

  const char* Company() const { return company; }
  const char* Application() const { return application; }

  // Both point at static texts.
  const char* company = "Orvane LLC";
  const char* application = "Varnholt";
};

// The same as cRegistryWords::Choose().
cRegistryWords ChooseRegistryWords();

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_REGISTRY_WORDS_H_
