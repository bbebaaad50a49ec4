#include "ui/skin/skin.h"

#include <shlwapi.h>

#include "utils/com_ptr.h"
#include "utils/log.h"

namespace {

constexpr int kSkinsResource = 100;
constexpr int kStylesResource = 101;
constexpr int kStringsResource = 102;
constexpr WORD kSkinLanguage = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

std::string_view ResourceBytes(const wchar_t* type, int id) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), kSkinLanguage);
  const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data)
    return {};
  return {static_cast<const char*>(data), ::SizeofResource(module, found)};
}

void LogProblems(int resource_id, const SkinProblems& problems) {
  for (const std::string& problem : problems)
    LOG(DEBUG) << L"Skin resource " << resource_id << L": " << problem.c_str();
}

template <typename Parse>
bool ParseResource(int id, Parse parse, SkinCatalog* catalog) {
  SkinProblems problems;
  const bool parsed = parse(ResourceBytes(L"XML", id), catalog, &problems);
  LogProblems(id, problems);
  return parsed;
}

std::unique_ptr<Skin>& SharedSlot() {
  static std::unique_ptr<Skin> skin;
  return skin;
}

}  // namespace

const Skin* Skin::Shared() {
  return SharedSlot().get();
}

void Skin::StartShared(int release_code) {
  SharedSlot() = Start(release_code);
  if (!SharedSlot())
    LOG(DEBUG) << L"Skin start FAILED";
}

void Skin::EndShared() {
  SharedSlot().reset();
}

std::unique_ptr<Skin> Skin::Start(int release_code) {
  std::unique_ptr<Skin> skin(new Skin);
  const Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&skin->gdiplus_token_, &input, nullptr) != Gdiplus::Ok) {
    LOG(DEBUG) << L"Skin GdiplusStartup FAILED";
    return nullptr;
  }
  if (!ParseResource(kStringsResource, ParseSkinStrings, &skin->catalog_))
    return nullptr;
  skin->default_face_ = ChooseDefaultFontFace(release_code, skin->catalog_.strings);
  if (!ParseResource(kSkinsResource, ParseSkins, &skin->catalog_) ||
      !ParseResource(kStylesResource, ParseSkinStyles, &skin->catalog_)) {
    return nullptr;
  }
  return skin;
}

Skin::~Skin() {
  images_.clear();
  if (gdiplus_token_)
    Gdiplus::GdiplusShutdown(gdiplus_token_);
}

std::optional<Layout> Skin::LoadLayout(int resource_id) const {
  SkinProblems problems;
  std::optional<Layout> layout =
      ParseLayout(ResourceBytes(L"XML", resource_id), catalog_, &problems);
  LogProblems(resource_id, problems);
  return layout;
}

HFONT Skin::Font(const std::optional<FontCode>& code) const {
  const FontCode font = code.value_or(FontCode{});
  const int key = font.size_increase << 8 | font.bold << 2 | font.underline << 1 | font.italic;
  unique_hfont& slot = fonts_[key];
  if (!slot) {
    LOGFONTW face = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
    face.lfHeight = FontHeight(font);
    face.lfWidth = 0;
    face.lfWeight = FontWeight(font);
    face.lfUnderline = font.underline;
    face.lfItalic = font.italic;
    face.lfQuality = default_face_.cleartype ? CLEARTYPE_QUALITY : ANTIALIASED_QUALITY;
    if (!default_face_.face.empty())
      lstrcpynW(face.lfFaceName, default_face_.face.c_str(), LF_FACESIZE);
    slot.reset(::CreateFontIndirectW(&face));
  }
  return slot.get();
}

Gdiplus::Bitmap* Skin::Image(int resource_id) const {
  // A missing image is looked for, and logged, once.
  if (const auto found = images_.find(resource_id); found != images_.end())
    return found->second.get();
  std::unique_ptr<Gdiplus::Bitmap>& slot = images_[resource_id];
  const std::string_view png = ResourceBytes(L"PNG", resource_id);
  com_ptr<IStream> stream;
  *stream.put() =
      ::SHCreateMemStream(reinterpret_cast<const BYTE*>(png.data()), static_cast<UINT>(png.size()));
  if (png.empty() || !stream) {
    LOG(DEBUG) << L"Skin image " << resource_id << L" missing";
    return nullptr;
  }
  // Decoded once into premultiplied pixels of our own: the decoder would
  // keep the stream and decode again at every draw.
  Gdiplus::Bitmap decoded(stream.get());
  if (decoded.GetLastStatus() != Gdiplus::Ok) {
    LOG(DEBUG) << L"Skin image " << resource_id << L" unreadable";
    return nullptr;
  }
  auto copy = std::make_unique<Gdiplus::Bitmap>(decoded.GetWidth(), decoded.GetHeight(),
                                                PixelFormat32bppPARGB);
  Gdiplus::Graphics graphics(copy.get());
  graphics.DrawImage(&decoded, 0, 0, decoded.GetWidth(), decoded.GetHeight());
  slot = std::move(copy);
  return slot.get();
}

const ImageSkin* Skin::ImageSkinNamed(const std::string& name) const {
  const auto it = catalog_.images.find(name);
  return it != catalog_.images.end() ? &it->second : nullptr;
}

SkinSize Skin::FrameSize(const std::string& name) const {
  const ImageSkin* skin = ImageSkinNamed(name);
  Gdiplus::Bitmap* image = skin ? Image(skin->resource_id) : nullptr;
  if (!image)
    return {};
  const int width = static_cast<int>(image->GetWidth());
  return {skin->frame_width ? std::min(skin->frame_width, width) : width,
          static_cast<int>(image->GetHeight())};
}
