// cMessageBox: a modal message box. The toolkit realisation shows a real one (and keeps the
// window working while it waits); the headless one records the request and returns the
// answer a test has queued, so tests never block.
#ifndef HV_CLIENT_UI_MESSAGE_BOX_H_
#define HV_CLIENT_UI_MESSAGE_BOX_H_

namespace hv {

class cWindow;

enum class cMessageBoxIcon { kNone, kInformation, kWarning, kError, kQuestion };
enum class cMessageBoxButtons { kOk, kYesNo };
enum class cMessageBoxAnswer { kOk, kYes, kNo };

class cMessageBox {
 public:
  virtual ~cMessageBox() = default;

  // Shows `text` under `caption` and returns the button the user chose (kOk for an OK box).
  // `owner` is the toolkit window the box belongs to, or null for a box without owner.
  // Text and caption are the program's 8-bit text; null reads as empty.
  virtual cMessageBoxAnswer Show(const char* text, const char* caption, cMessageBoxIcon icon,
                                 cMessageBoxButtons buttons, cWindow* owner) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_MESSAGE_BOX_H_
