#include "app/FontColorDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFormLayout>
#include <QPixmap>
#include <QVBoxLayout>
#include <array>

#include "grid/GridColorQt.h"

namespace orlex::app {

namespace {

struct TNamedColor {
  const char* name;
  grid::TColor color;
};

constexpr std::array<TNamedColor, 16> kBasicColors{{
    {"Black", grid::clBlack}, {"Maroon", grid::clMaroon}, {"Green", grid::clGreen}, {"Olive", grid::clOlive},
    {"Navy", grid::clNavy}, {"Purple", grid::clPurple}, {"Teal", grid::clTeal}, {"Gray", grid::clGray},
    {"Silver", grid::clSilver}, {"Red", grid::clRed}, {"Lime", grid::clLime}, {"Yellow", grid::clYellow},
    {"Blue", grid::clBlue}, {"Fuchsia", grid::clFuchsia}, {"Aqua", grid::clAqua}, {"White", grid::clWhite},
}};

QIcon Swatch(grid::TColor color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(grid::ColorToQColor(color, QApplication::palette()));
  return QIcon(pixmap);
}

}  // namespace

TFontColorDialog::TFontColorDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Font");
  fontPart_ = new QFontDialog(this);
  fontPart_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  fontPart_->setWindowFlags(Qt::Widget);
  colorPart_ = new QComboBox(this);
  colorPart_->setObjectName("Color");
  for (const TNamedColor& basic : kBasicColors) {
    colorPart_->addItem(Swatch(basic.color), basic.name, grid::ColorToInt(basic.color));
  }
  auto* colorRow = new QFormLayout;
  colorRow->addRow("Color:", colorPart_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fontPart_);
  layout->addLayout(colorRow);
  layout->addWidget(buttons);
}

// The dialog lists installed families only. Given one that is not installed (a saved "Tahoma", say),
// it would highlight the first family of its list and that family's first style, so it is shown
// the family that stands in for it on screen, and the style that draws this weight and slant.
void TFontColorDialog::SetCurrentFont(const QFont& font) {
  QFont shown = font;
  if (!QFontDatabase::families().contains(shown.family())) shown.setFamily(QFontInfo(font).family());
  shown.setStyleName(QFontDatabase::styleString(QFontInfo(shown)));
  fontPart_->setCurrentFont(shown);
}

QFont TFontColorDialog::CurrentFont() const { return fontPart_->currentFont(); }

void TFontColorDialog::SetCurrentColor(int colorValue) {
  int index = colorPart_->findData(colorValue);
  if (index < 0) {
    // A colour outside the list (an RGB mix or a system colour) stays choosable as "Custom".
    const int custom = colorPart_->findText("Custom");
    if (custom >= 0) colorPart_->removeItem(custom);
    colorPart_->addItem(Swatch(grid::IntToColor(colorValue)), "Custom", colorValue);
    index = colorPart_->count() - 1;
  }
  colorPart_->setCurrentIndex(index);
}

int TFontColorDialog::CurrentColor() const { return colorPart_->currentData().toInt(); }

}  // namespace orlex::app
