#include "CopyText.h"

namespace CopyText {

void appendField(QByteArray& line, const QByteArray& utf8, bool first) {
    if (!first)
        line.append('\t');
    if (utf8.isNull()) {
        line.append("\\N", 2);
        return;
    }
    for (const char c : utf8) {
        switch (c) {
        case '\\':
            line.append("\\\\", 2);
            break;
        case '\t':
            line.append("\\t", 2);
            break;
        case '\n':
            line.append("\\n", 2);
            break;
        case '\r':
            line.append("\\r", 2);
            break;
        default:
            line.append(c);
        }
    }
}

} // namespace CopyText
