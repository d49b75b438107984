#include "grid/transfer/QtDragDrop.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "grid/transfer/OleMimeData.h"
#include "platform/ole/ComObject.h"
#include "platform/ole/DragDropLoop.h"

namespace orlex::grid {

namespace {

constexpr int kPollMs = 15;

Qt::DropAction ActionOf(DWORD effect) {
  if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
  if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
  if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

DWORD EffectOf(Qt::DropAction action) {
  switch (action) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction:
    case Qt::TargetMoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

DWORD EffectsOf(Qt::DropActions actions) {
  DWORD effects = DROPEFFECT_NONE;
  if (actions & Qt::CopyAction) effects |= DROPEFFECT_COPY;
  if (actions & Qt::MoveAction) effects |= DROPEFFECT_MOVE;
  if (actions & Qt::LinkAction) effects |= DROPEFFECT_LINK;
  return effects;
}

DWORD KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  DWORD state = 0;
  if (buttons & Qt::LeftButton) state |= MK_LBUTTON;
  if (buttons & Qt::RightButton) state |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) state |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) state |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) state |= MK_CONTROL;
  if (modifiers & Qt::AltModifier) state |= MK_ALT;
  return state;
}

HRESULT QtDragLoop(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect) {
  TComPtr<IDropSource> heldSource(source);
  // Qt deletes the drag (and its data) once the data has been served; it is never deleted here.
  auto* drag = new QDrag(qApp);
  drag->setMimeData(new TOleMimeData(data));
  QObject::connect(drag, &QDrag::actionChanged, drag,
                   [heldSource](Qt::DropAction action) { heldSource->GiveFeedback(EffectOf(action)); });
  // Qt runs the drag with the button held; the source is polled as OLE polls it.
  QTimer poll;
  poll.setInterval(kPollMs);
  QObject::connect(&poll, &QTimer::timeout, [source] {
    source->QueryContinueDrag(false, KeyStateOf(Qt::LeftButton, QGuiApplication::queryKeyboardModifiers()));
  });
  poll.start();
  Qt::DropActions actions = ActionOf(allowedEffects & DROPEFFECT_COPY) | ActionOf(allowedEffects & DROPEFFECT_MOVE);
  if (actions == Qt::IgnoreAction) actions = Qt::CopyAction;
  const Qt::DropAction defaultAction = (allowedEffects & DROPEFFECT_MOVE) ? Qt::MoveAction : Qt::CopyAction;
  const Qt::DropAction done = drag->exec(actions, defaultAction);
  poll.stop();
  *effect = EffectOf(done);
  // The last query tells the source how the drag ended: the button came up, or it was cancelled.
  if (done == Qt::IgnoreAction) {
    source->QueryContinueDrag(true, 0);
    return DRAGDROP_S_CANCEL;
  }
  source->QueryContinueDrag(false, 0);
  return DRAGDROP_S_DROP;
}

// Hands one widget's drag events to its drop target.
class TDropTargetFilter : public QObject {
 public:
  TDropTargetFilter(QWidget* window, IDropTarget* target) : QObject(window), window_(window), target_(target) {
    setObjectName("OleDropTargetFilter");
  }
  IDropTarget* Target() const { return target_.Get(); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != window_) return false;
    switch (event->type()) {
      case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        TComPtr<IDataObject> data(new TMimeDataObject(drag->mimeData()));
        DWORD effect = EffectsOf(drag->possibleActions());
        target_->DragEnter(data.Get(), KeyStateOf(drag->buttons(), drag->modifiers()), PointOf(drag), &effect);
        // Enter is always taken, so that every move reaches the target (it shows markers even
        // where nothing can be dropped); the moves decide whether a drop is possible.
        drag->setDropAction(ActionOf(effect) == Qt::IgnoreAction ? drag->proposedAction() : ActionOf(effect));
        drag->accept();
        return true;
      }
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        DWORD effect = EffectsOf(drag->possibleActions());
        target_->DragOver(KeyStateOf(drag->buttons(), drag->modifiers()), PointOf(drag), &effect);
        Answer(drag, effect);
        return true;
      }
      case QEvent::DragLeave:
        target_->DragLeave();
        event->accept();
        return true;
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        TComPtr<IDataObject> data(new TMimeDataObject(drop->mimeData()));
        DWORD effect = EffectsOf(drop->possibleActions());
        target_->Drop(data.Get(), KeyStateOf(drop->buttons(), drop->modifiers()), PointOf(drop), &effect);
        Answer(drop, effect);
        return true;
      }
      default:
        return false;
    }
  }

 private:
  POINTL PointOf(const QDropEvent* event) const {
    const QPoint global = window_->mapToGlobal(event->position().toPoint());
    return POINTL{global.x(), global.y()};
  }
  static void Answer(QDropEvent* event, DWORD effect) {
    const Qt::DropAction action = ActionOf(effect);
    if (action == Qt::IgnoreAction) {
      event->setDropAction(Qt::IgnoreAction);
      event->ignore();
    } else {
      event->setDropAction(action);
      event->accept();
    }
  }

  QPointer<QWidget> window_;
  TComPtr<IDropTarget> target_;
};

TDropTargetFilter* FilterOf(QWidget* window) {
  return window ? window->findChild<TDropTargetFilter*>("OleDropTargetFilter", Qt::FindDirectChildrenOnly)
                : nullptr;
}

}  // namespace

void InstallQtDragDropLoop() { SetDragDropLoop(QtDragLoop); }

HRESULT RegisterDragDrop(QWidget* window, IDropTarget* target) {
  if (window == nullptr || target == nullptr) return E_INVALIDARG;
  if (FilterOf(window)) return DRAGDROP_E_ALREADYREGISTERED;
  auto* filter = new TDropTargetFilter(window, target);
  window->installEventFilter(filter);
  window->setAcceptDrops(true);
  return S_OK;
}

HRESULT RevokeDragDrop(QWidget* window) {
  TDropTargetFilter* filter = FilterOf(window);
  if (filter == nullptr) return DRAGDROP_E_NOTREGISTERED;
  window->removeEventFilter(filter);
  window->setAcceptDrops(false);
  delete filter;
  return S_OK;
}

IDropTarget* RegisteredDropTarget(QWidget* window) {
  TDropTargetFilter* filter = FilterOf(window);
  return filter ? filter->Target() : nullptr;
}

}  // namespace orlex::grid
