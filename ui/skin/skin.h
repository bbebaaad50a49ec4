#ifndef UI_SKIN_SKIN_H_
#define UI_SKIN_SKIN_H_

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/skin/gdi_owners.h"
#include "ui/skin/gdiplus_headers.h"
#include "ui/skin/skin_layout.h"

// The skin of this executable: its font names, images and styles, read from
// the "XML" resources 100-102 and the "PNG" resources they name. Lives on
// the user-interface thread while any skin window does.
class Skin {
 public:
  // Reads the documents in order: font names, then skins, then styles.
  // Null when GDI+ cannot start or a document is missing or unreadable.
  static std::unique_ptr<Skin> Start(int release_code);
  // The process's skin, which extension mode starts and ends; null outside
  // that span or when it could not start.
  static const Skin* Shared();
  static void StartShared(int release_code);
  static void EndShared();
  ~Skin();
  Skin(const Skin&) = delete;
  Skin& operator=(const Skin&) = delete;

  const SkinCatalog& catalog() const { return catalog_; }
  const std::wstring& default_face() const { return default_face_.face; }

  // A layout resource (103, 104); entries it cannot use are logged.
  std::optional<Layout> LoadLayout(int resource_id) const;

  // The font of a style's font code, made on first use. Null on failure.
  HFONT Font(const std::optional<FontCode>& code) const;
  // The decoded image of a "PNG" resource, loaded on first use. Null when
  // the resource is missing or not an image.
  Gdiplus::Bitmap* Image(int resource_id) const;
  const ImageSkin* ImageSkinNamed(const std::string& name) const;
  // One frame of an image skin; zero when the skin or its image is missing.
  SkinSize FrameSize(const std::string& name) const;

 private:
  Skin() = default;

  ULONG_PTR gdiplus_token_ = 0;
  SkinCatalog catalog_;
  DefaultFontFace default_face_;
  mutable std::map<int, unique_hfont> fonts_;  // by code
  mutable std::map<int, std::unique_ptr<Gdiplus::Bitmap>> images_;
};

#endif  // UI_SKIN_SKIN_H_
