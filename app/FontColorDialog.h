#pragma once

#include <QDialog>
#include <QFont>

class QComboBox;
class QFontDialog;

namespace orlex::app {

// A font dialog that also chooses the text colour, as the desktop's common font dialog does: Qt's
// own font dialog has no colour, so it is embedded here beside a colour list of the sixteen basic
// colours (and the current colour when it is none of them).
class TFontColorDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFontColorDialog(QWidget* parent);

  // Shows a family that is not installed as the one that stands in for it.
  void SetCurrentFont(const QFont& font);
  QFont CurrentFont() const;
  // Colour values (red + 256 * green + 65536 * blue, negative for a system colour).
  void SetCurrentColor(int colorValue);
  int CurrentColor() const;

  QFontDialog* FontPart() const { return fontPart_; }
  QComboBox* ColorPart() const { return colorPart_; }

 private:
  QFontDialog* fontPart_;
  QComboBox* colorPart_;
};

}  // namespace orlex::app
