#include "server/multipart.h"

namespace ox8cloud {

namespace {

// Splits "a; b=c; d=\"e;f\"" at the semicolons outside quotes.
QList<QByteArray> splitParameters(const QByteArray &value)
{
    QList<QByteArray> items;
    QByteArray current;
    bool quoted = false;
    for (int i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (quoted && c == '\\' && i + 1 < value.size()) {
            current.append(c);
            current.append(value.at(++i));
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            items.append(current.trimmed());
            current.clear();
            continue;
        }
        current.append(c);
    }
    items.append(current.trimmed());
    return items;
}

QByteArray unquote(const QByteArray &value)
{
    if (value.size() < 2 || !value.startsWith('"') || !value.endsWith('"'))
        return value;
    QByteArray out;
    for (int i = 1; i < value.size() - 1; ++i) {
        char c = value.at(i);
        if (c == '\\' && i + 1 < value.size() - 1)
            c = value.at(++i);
        out.append(c);
    }
    return out;
}

bool parseHeaderBlock(const QByteArray &block, MultipartPart *part)
{
    if (block.isEmpty())
        return true;
    const QList<QByteArray> lines = block.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const int colon = line.indexOf(':');
        if (colon <= 0)
            return false;
        const QByteArray name = line.left(colon).trimmed().toLower();
        if (name.isEmpty() || name.contains(' '))
            return false;
        part->headers.insert(name, line.mid(colon + 1).trimmed());
    }
    const QByteArray disposition = part->headers.value("content-disposition");
    if (!disposition.isEmpty()) {
        if (splitParameters(disposition).value(0).toLower() != "form-data")
            return false;
        part->name = headerParameter(disposition, "name");
        part->fileName = headerParameter(disposition, "filename");
    }
    return true;
}

} // namespace

QByteArray headerParameter(const QByteArray &value, const QByteArray &parameter)
{
    const QList<QByteArray> items = splitParameters(value);
    for (int i = 1; i < items.size(); ++i) {
        const QByteArray &item = items.at(i);
        const int eq = item.indexOf('=');
        if (eq <= 0)
            continue;
        if (item.left(eq).trimmed().toLower() == parameter.toLower())
            return unquote(item.mid(eq + 1).trimmed());
    }
    return {};
}

QByteArray multipartBoundary(const QByteArray &contentType)
{
    const QList<QByteArray> items = splitParameters(contentType);
    if (items.value(0).toLower() != "multipart/form-data")
        return {};
    const QByteArray boundary = headerParameter(contentType, "boundary");
    if (boundary.isEmpty() || boundary.size() > 70)
        return {};
    for (const char c : boundary) {
        if (c < 0x20 || c > 0x7e)
            return {};
    }
    return boundary;
}

MultipartError parseMultipart(const QByteArray &body, const QByteArray &boundary, QList<MultipartPart> *parts,
                              int maxParts, int maxHeaderBytes)
{
    parts->clear();
    if (boundary.isEmpty())
        return MultipartError::NoBoundary;
    const QByteArray delimiter = "--" + boundary;
    const QByteArray bodyEnd = "\r\n" + delimiter;

    // The first delimiter opens the body or follows a preamble line.
    int pos;
    if (body.startsWith(delimiter)) {
        pos = 0;
    } else {
        pos = body.indexOf(bodyEnd);
        if (pos < 0)
            return MultipartError::Malformed;
        pos += 2;
    }

    for (;;) {
        pos += delimiter.size();
        if (body.mid(pos, 2) == "--")
            return MultipartError::None; // closing delimiter; the epilogue is ignored
        // Transport padding, then the line end.
        while (pos < body.size() && (body.at(pos) == ' ' || body.at(pos) == '\t'))
            ++pos;
        if (body.mid(pos, 2) != "\r\n")
            return MultipartError::Malformed;
        pos += 2;

        if (parts->size() >= maxParts)
            return MultipartError::TooManyParts;

        MultipartPart part;
        int contentStart;
        if (body.mid(pos, 2) == "\r\n") {
            contentStart = pos + 2; // a part without headers
        } else {
            const int headerEnd = body.indexOf("\r\n\r\n", pos);
            if (headerEnd < 0)
                return (body.size() - pos > maxHeaderBytes) ? MultipartError::HeaderTooLong : MultipartError::Malformed;
            if (headerEnd - pos > maxHeaderBytes)
                return MultipartError::HeaderTooLong;
            if (!parseHeaderBlock(body.mid(pos, headerEnd - pos), &part))
                return MultipartError::Malformed;
            contentStart = headerEnd + 4;
        }
        const int contentEnd = body.indexOf(bodyEnd, contentStart);
        if (contentEnd < 0)
            return MultipartError::Malformed;
        part.body = body.mid(contentStart, contentEnd - contentStart);
        parts->append(part);
        pos = contentEnd + 2;
    }
}

} // namespace ox8cloud
