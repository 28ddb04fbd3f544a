#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

// A bounded reader for multipart/form-data bodies that keeps every part's
// own headers: the program sends its token as a header of the file part,
// which general-purpose parsers drop. Pure functions over bytes.
namespace ox8cloud {

struct MultipartPart
{
    QMap<QByteArray, QByteArray> headers; // names lower-cased, values trimmed
    QByteArray name;                      // Content-Disposition name=
    QByteArray fileName;                  // Content-Disposition filename=
    QByteArray body;
};

enum class MultipartError {
    None,
    NoBoundary,     // Content-Type without a usable boundary parameter
    Malformed,      // missing delimiter, header block or closing delimiter
    TooManyParts,
    HeaderTooLong,
};

// The boundary parameter of a "multipart/form-data" Content-Type (quoted or
// not, 1..70 characters); empty for any other type or a bad boundary.
QByteArray multipartBoundary(const QByteArray &contentType);

// Splits body into its parts. Stops with an error at the first fault; never
// reads outside body. At most maxParts parts, each header block at most
// maxHeaderBytes.
MultipartError parseMultipart(const QByteArray &body, const QByteArray &boundary, QList<MultipartPart> *parts,
                              int maxParts = 8, int maxHeaderBytes = 8192);

// One parameter of a header value such as `form-data; name="file"`
// (case-insensitive name, quoted or token value); empty when absent.
QByteArray headerParameter(const QByteArray &value, const QByteArray &parameter);

} // namespace ox8cloud
