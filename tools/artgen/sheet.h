#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

// Collects every rendered picture with its resource path, writes the PNGs
// below resources/picture/ and, at the end, the resource collection file
// and the table of resources/art/README.md.
class Sheet
{
public:
    explicit Sheet(const QString &resourcesDir);

    // resource: the full resource path, e.g. ":/picture/ox7/picture/OX7/logo_korvan.png".
    void save(const QString &resource, const QImage &image, const QString &purpose);
    // A second resource path for a picture already saved.
    void alias(const QString &resource, const QString &savedResource, const QString &purpose);

    bool writeQrc() const;
    bool writeReadmeTable() const;
    bool removeOldPictures() const;

    int errors() const { return m_errors; }
    int count() const { return m_entries.size(); }

private:
    struct Entry
    {
        QString resource;
        QString file; // relative to the resources folder
        QSize size;
        QString purpose;
    };

    QString fileFor(const QString &resource) const;

    QString m_dir;
    QVector<Entry> m_entries;
    int m_errors = 0;
};
