#ifndef MAIN_FRAME_MAIN_FRAME_CONTROLLER_H_
#define MAIN_FRAME_MAIN_FRAME_CONTROLLER_H_

#include <memory>
#include <optional>
#include <string>

#include "channel/client_delegate.h"
#include "ie_control/ie_dev_tools_site.h"
#include "main_frame/frame_controller.h"
#include "ui/rating/rating_view.h"
#include "utils/com_ptr.h"

class CMainFrame;
class CMainFrameControllerManager;

// One frame id's controller: carries out the requests the manager forwards
// to its frame, and turns what happens in the frame into notifications for
// the extension. Runs on the user-interface thread only.
class CMainFrameController : public IFrameController {
 public:
  CMainFrameController(int frame_id, CMainFrameControllerManager* manager);
  ~CMainFrameController() override;
  CMainFrameController(const CMainFrameController&) = delete;
  CMainFrameController& operator=(const CMainFrameController&) = delete;

  CMainFrameControllerManager* manager() const { return manager_; }
  CMainFrame* frame() const { return frame_.get(); }
  CRatingView* rating_view() const { return rating_view_.get(); }
  // Once set, the frame no longer shows, moves or focuses itself and an
  // attach is answered with state -1.
  bool IsClosing() const { return closing_; }

  // NativeMessage::Delegate. Each returns false when there is no frame.
  // CrxCreate answers only when its frame has a window; false otherwise.
  bool CrxCreate(const CreateParams& params) override;
  bool CrxAttach(const AttachParams& params) override;
  bool CrxDetach(int frame_id) override;
  bool CrxActivate(int frame_id, bool active) override;
  bool CrxNavigate(const NavigateParams& params) override;
  bool CrxReSize(int frame_id, int width, int height) override;
  bool CrxBack(int frame_id) override;
  bool CrxForward(int frame_id) override;
  bool CrxReload(int frame_id) override;
  // Destroys the frame's window, which may delete this controller before
  // the call returns.
  bool CrxClose(int frame_id, int session_id) override;
  bool QuitExtension() override;
  bool CrxFocus(int frame_id) override;
  // Whether a print preview or, failing that, the print dialog opened. The
  // frame may close meanwhile and delete this controller.
  bool CrxPrint(int frame_id) override;

  // NativeMessage::ClientDelegate
  bool ClientNewWindow(const NewFrameParam& param) override;
  bool ClientNewTab(const wchar_t* url, bool force_ie) override;
  bool ClientBeforeNavigate(bool top_level, const wchar_t* url) override;
  bool ClientBack() override;
  bool ClientForward() override;
  bool ClientAttachState(int state) override;
  bool ClientTitleChange(const wchar_t* title) override;
  bool ClientLeaveCurrentTab() override;
  bool ClientSetCompatibleMode(int mode) override;
  bool OpenDevTools() override;
  bool ClientCloseTab() override;
  std::string GetPort() const override;
  int GetFrameId() const override;
  bool ShowReviewDialog(bool from_banner) override;

  // IFrameController
  const CreateParams* GetCreateParams() const override;
  void CreateFrameFrom(const CreateParams& params, CMainFrame** frame) override;

 private:
  // False when the frame's window could not be made.
  [[nodiscard]] bool CreateFrame(const CreateParams& params);
  bool Send(const std::optional<std::string>& text);

  std::string port_;
  const int frame_id_;
  // At most one; it outlives its window until replaced or the controller
  // ends, after the frame.
  std::unique_ptr<CRatingView> rating_view_;
  std::unique_ptr<CMainFrame> frame_;
  // Made on the first F12; goes before the frame and its browser.
  com_ptr<IEDevToolsSiteImpl> dev_tools_site_;
  bool closing_ = false;
  CMainFrameControllerManager* const manager_;
};

#endif  // MAIN_FRAME_MAIN_FRAME_CONTROLLER_H_
