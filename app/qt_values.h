#pragma once

#include "twips.h"

#include <QColor>
#include <QString>

#include <string_view>

inline QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

inline QString toQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

inline QColor toQColor(Color color) { return QColor(color.red(), color.green(), color.blue()); }
