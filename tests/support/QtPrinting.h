#pragma once

// GoogleTest prints Qt's value types by their bytes; these print them as values. Found by argument
// dependent lookup, so a test that includes this header gets them in every failure message.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>
#include <ostream>

inline void PrintTo(const QPoint& p, std::ostream* os) { *os << '(' << p.x() << ", " << p.y() << ')'; }

inline void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }

inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << '(' << r.x() << ", " << r.y() << ' ' << r.width() << 'x' << r.height() << ')';
}

inline void PrintTo(const QColor& c, std::ostream* os) { *os << c.name(QColor::HexArgb).toStdString(); }

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline void PrintTo(const QUrl& u, std::ostream* os) { *os << u.toString().toStdString(); }
