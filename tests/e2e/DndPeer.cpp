// Another application for the cross-process drag tests: "source X Y TEXT" shows a window at (X, Y)
// that starts a drag of TEXT when the mouse is pressed and moved in it, and prints the action the
// drop target answered; "target X Y FILE" shows a window that accepts text drops as moves and writes
// the dropped text to FILE.
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>
#include <cstdio>
#include <fstream>

namespace {

class TPeer : public QWidget {
 public:
  TPeer(bool source, QString text) : source_(source), text_(std::move(text)) {
    setWindowTitle(source ? "DnD Peer Source" : "DnD Peer Target");
    setAcceptDrops(!source);
    setFixedSize(200, 120);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { press_ = event->position().toPoint(); }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!source_ || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - press_).manhattanLength() < 6) return;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(text_);
    drag->setMimeData(mime);
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    std::printf("%s\n", action == Qt::MoveAction ? "move" : action == Qt::CopyAction ? "copy" : "none");
    std::fflush(stdout);
  }
  void dragEnterEvent(QDragEnterEvent* event) override {
    if (event->mimeData()->hasText()) event->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent* event) override {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  }
  void dropEvent(QDropEvent* event) override {
    std::ofstream(text_.toStdString()) << event->mimeData()->text().toStdString();
    event->setDropAction(Qt::MoveAction);
    event->accept();
  }

 private:
  bool source_;
  QString text_;
  QPoint press_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s source|target X Y TEXT|FILE\n", argv[0]);
    return 2;
  }
  TPeer peer(QString(argv[1]) == "source", QString::fromLocal8Bit(argv[4]));
  peer.move(QString(argv[2]).toInt(), QString(argv[3]).toInt());
  peer.show();
  return app.exec();
}
