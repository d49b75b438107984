// Arbitrary markup through the HTML engine's layout (drawing, measuring, hit-testing) and
// StripHTMLText, on the fixed-pitch canvas: no crash, no hang, and work that stays linear in the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/grid/html/FakeHtmlCanvas.h"
#include "grid/html/HtmlLayout.h"
#include "grid/html/HtmlMarkup.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orlex::grid;
  if (size < 2) return 0;
  // The first two bytes choose the options and the width; the rest is the markup.
  const std::uint8_t options = data[0];
  const int width = static_cast<int>(data[1]) * 2 - 40;  // negative and zero widths too
  const std::string_view markup(reinterpret_cast<const char*>(data + 2), size - 2);

  for (int pass = 0; pass < 3; ++pass) {
    TFakeHtmlCanvas canvas;
    canvas.pictureSizes["pic"] = {30, 20};
    canvas.pictureSizes["FILE://a"] = {5, 50};
    THtmlParams params = CellParams(width, (options & 1) ? 40 : 65535);
    params.WordWrap = (options & 2) != 0;
    params.FocusLink = (options & 4) ? 0 : -1;
    params.HoverStyle = (options & 8) != 0;
    params.Selected = (options & 16) != 0;
    params.MeasureOnly = pass == 1;
    params.HitTestOnly = pass == 2;
    params.HitX = (options >> 5) * 9;
    params.HitY = 5;
    params.ControlId = "c";
    const THtmlResult result = DrawHTMLText(canvas, markup, params);
    Check(result.Height > 0);
    Check(result.Width >= 0);
    Check(result.LinkCount >= 0);
    Check(canvas.measureCalls <= 8 * static_cast<long long>(markup.size()) + 16);
    if (pass != 0) Check(canvas.pieces.empty());
  }

  const std::string plain = StripHTMLText(markup);
  Check(plain.size() <= 2 * markup.size());
  (void)ParseHTMLColor(markup);
  (void)ParseHTMLColor(markup, true);
  return 0;
}
