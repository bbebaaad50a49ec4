// Any text as one of the skin documents: read without harm, and a layout
// keeps no element whose image skin or class the catalog lacks.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "tests/fuzz_util.h"
#include "ui/skin/skin_catalog.h"
#include "ui/skin/skin_layout.h"
#include "ui/skin/skin_test_util.h"

namespace {

const SkinCatalog& RealCatalog() {
  static const SkinCatalog catalog = [] {
    SkinCatalog real;
    SkinProblems problems;
    FuzzCheck(ParseSkinStrings(ReadSkinResource("strings.xml"), &real, &problems) &&
              ParseSkins(ReadSkinResource("skins.xml"), &real, &problems) &&
              ParseSkinStyles(ReadSkinResource("styles.xml"), &real, &problems));
    return real;
  }();
  return catalog;
}

void CheckKnown(const std::vector<LayoutElement>& elements, const SkinCatalog& catalog) {
  for (const LayoutElement& element : elements) {
    const bool image =
        element.kind == ElementKind::kImage || element.kind == ElementKind::kImageButton;
    FuzzCheck(!image || catalog.images.count(element.skin));
    FuzzCheck(element.style.empty() || catalog.styles.count(element.style));
    CheckKnown(element.children, catalog);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int document = in.ConsumeIntegralInRange(0, 3);
  const std::string xml = in.ConsumeRemainingBytesAsString();
  SkinCatalog catalog;
  SkinProblems problems;
  switch (document) {
    case 0:
      (void)ParseSkinStrings(xml, &catalog, &problems);
      break;
    case 1:
      (void)ParseSkins(xml, &catalog, &problems);
      break;
    case 2:
      (void)ParseSkinStyles(xml, &catalog, &problems);
      break;
    default:
      if (const std::optional<Layout> layout = ParseLayout(xml, RealCatalog(), &problems))
        CheckKnown(layout->elements, RealCatalog());
  }
  return 0;
}
