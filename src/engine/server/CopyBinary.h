#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <cstring>
#include <vector>

// Rows in the binary form a server's COPY ... TO STDOUT sends: a header once, then each row
// as its field count and each field as a length (-1: NULL) and that many bytes, and -1 for a
// count at the end. The server sends whole rows in each message.
class CopyBinary {
public:
    struct Field {
        const uchar* data = nullptr;
        qint32 length = -1;
        bool isNull() const { return length < 0; }
        // The field's bytes; none for NULL.
        QByteArrayView bytes() const {
            if (isNull())
                return {};
            return {reinterpret_cast<const char*>(data), qsizetype(length)};
        }
        // A bigint's value; valid only when length is 8.
        qint64 bigint() const {
            quint64 v = 0;
            for (int i = 0; i < 8; ++i)
                v = v << 8 | data[i];
            return qint64(v);
        }
    };

    explicit CopyBinary(int columns) : m_fields(size_t(columns)) {}

    // Calls row(fields) for each row of a message, with the fields valid during the call;
    // calls broken(), which must throw, when the message is not in that form.
    template <typename Row, typename Broken>
    void take(const char* data, int size, Row row, Broken broken) {
        const auto* p = reinterpret_cast<const uchar*>(data);
        const uchar* end = p + size;
        if (!m_header) {
            // The signature, the flags and the header's extension.
            static const char signature[] = "PGCOPY\n\377\r\n";
            if (size < 19 || memcmp(p, signature, 11) != 0)
                broken();
            const qint32 extension = int32(p + 15);
            if (extension < 0 || extension > size - 19)
                broken();
            p += 19 + extension;
            m_header = true;
        }
        while (end - p >= 2) {
            const int count = qint16(quint16(p[0]) << 8 | p[1]);
            p += 2;
            if (count == -1)
                return;
            if (count != int(m_fields.size()))
                broken();
            for (Field& f : m_fields) {
                if (end - p < 4)
                    broken();
                f.length = int32(p);
                p += 4;
                if (f.length > end - p)
                    broken();
                f.data = p;
                if (f.length > 0)
                    p += f.length;
            }
            row(const_cast<const std::vector<Field>&>(m_fields));
        }
        if (p != end)
            broken();
    }

private:
    static qint32 int32(const uchar* p) {
        return qint32(quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]);
    }

    std::vector<Field> m_fields;
    bool m_header = false;
};
