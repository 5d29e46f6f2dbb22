// cModalDialog: the life every modal dialog shares. DoModal makes the top-level window from
// the dialog's layout, lets OnInitDialog fill it, runs it until EndDialog and lets the
// window go again, so one dialog object may be run more than once. A derived dialog gives
// its layout, fills its controls and answers their commands; it reaches its window through
// Window(), which is null outside DoModal.
#ifndef HV_CLIENT_UI_MODAL_DIALOG_H_
#define HV_CLIENT_UI_MODAL_DIALOG_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "client/ui/command_routes.h"
#include "client/ui/window.h"
#include "core/status.h"

namespace hv {

class cToolkit;
struct cDialogLayout;

class cModalDialog : public cWindowEvents {
 public:
  ~cModalDialog() override;
  cModalDialog(const cModalDialog&) = delete;
  cModalDialog& operator=(const cModalDialog&) = delete;

  // Runs the dialog; *result (when given) receives what its EndDialog gave, kResultOk or
  // kResultCancel. Fails (kNotFound of the window) when there is no toolkit or the window
  // cannot be made, with *result kResultCancel: nothing the dialog would change was changed.
  [[nodiscard]] Status DoModal(int32_t* result);

 protected:
  // The toolkit (null: DoModal fails) and the parent window (may be null) must outlive
  // the dialog.
  cModalDialog(cToolkit* toolkit, cWindow* parent) : toolkit_(toolkit), parent_(parent) {}

  virtual const cDialogLayout& Layout() const = 0;
  // The window exists and is not shown yet.
  virtual void OnInitDialog() = 0;
  // The window has gone; what the dialog kept only while it ran is let go of here.
  virtual void OnDialogEnded() {}

  // Answers the OK and Cancel buttons (Escape clicks Cancel): a click goes to OnOk or
  // OnCancel. True when the command came from one of them, clicked or not, so that a
  // dialog's own switch needs no cases for them.
  bool AnswerOkCancel(int32_t id, eCommandEvent event);
  // The whole OnCommand of a dialog whose other commands each call one member: OK and
  // Cancel as above, then the route of the command, if there is one. Nothing while the
  // dialog does not run.
  template <class Dialog, size_t N>
  void AnswerCommand(const cCommandRoute<Dialog> (&routes)[N], int32_t id, eCommandEvent event) {
    if (window_ == nullptr || AnswerOkCancel(id, event)) return;
    RouteCommand(static_cast<Dialog&>(*this), routes, id, event);
  }
  // OK was clicked: the dialog ends with kResultOk. A dialog that checks or keeps its values
  // first overrides this and ends itself only when they are good.
  virtual void OnOk();
  // Cancel was clicked: the dialog ends with kResultCancel.
  virtual void OnCancel();

  cWindow* Window() const { return window_.get(); }

 private:
  cToolkit* toolkit_;
  cWindow* parent_;
  std::unique_ptr<cWindow> window_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_MODAL_DIALOG_H_
