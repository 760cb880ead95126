#pragma once
// One entry of a remote directory listing: name, permissions, owner, group, size, times and type flags.

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QUrl>

namespace QMRequest {

class UrlInfoPrivate;

class UrlInfo
{
public:
    enum PermissionSpec {
        ReadOwner = 0400,
        WriteOwner = 0200,
        ExeOwner = 0100,
        ReadGroup = 0040,
        WriteGroup = 0020,
        ExeGroup = 0010,
        ReadOther = 0004,
        WriteOther = 0002,
        ExeOther = 0001
    };

    UrlInfo();
    UrlInfo(const UrlInfo& other);
    UrlInfo(const QString& name, int permissions, const QString& owner, const QString& group, qint64 size,
            const QDateTime& lastModified, const QDateTime& lastRead, bool isDir, bool isFile, bool isSymLink,
            bool isWritable, bool isReadable, bool isExecutable);
    // As above, named after the last component of the URL's decoded path.
    UrlInfo(const QUrl& url, int permissions, const QString& owner, const QString& group, qint64 size,
            const QDateTime& lastModified, const QDateTime& lastRead, bool isDir, bool isFile, bool isSymLink,
            bool isWritable, bool isReadable, bool isExecutable);
    virtual ~UrlInfo();

    UrlInfo& operator=(const UrlInfo& other);

    // Each setter creates the record with its defaults first when the entry has none.
    virtual void setName(const QString& name);
    virtual void setDir(bool b);
    virtual void setFile(bool b);
    virtual void setSymLink(bool b);
    virtual void setOwner(const QString& s);
    virtual void setGroup(const QString& s);
    virtual void setSize(qint64 size);
    virtual void setWritable(bool b);
    virtual void setReadable(bool b);
    virtual void setPermissions(int p);
    virtual void setLastModified(const QDateTime& dt);
    void setLastRead(const QDateTime& dt);

    // True once any field has been set.
    bool isValid() const;

    QString name() const;
    int permissions() const;
    QString owner() const;
    QString group() const;
    qint64 size() const;
    QDateTime lastModified() const;
    QDateTime lastRead() const;
    bool isDir() const;
    bool isFile() const;
    bool isSymLink() const;
    bool isWritable() const;
    bool isReadable() const;
    bool isExecutable() const;

    // sortBy: 0 name, 1 modification time, 2 size.
    static bool greaterThan(const UrlInfo& i1, const UrlInfo& i2, int sortBy);
    // The negation of greaterThan (true for equal entries and for unknown sortBy).
    static bool lessThan(const UrlInfo& i1, const UrlInfo& i2, int sortBy);
    static bool equal(const UrlInfo& i1, const UrlInfo& i2, int sortBy);

    bool operator==(const UrlInfo& other) const;
    bool operator!=(const UrlInfo& other) const { return !operator==(other); }

private:
    UrlInfoPrivate& record();

    UrlInfoPrivate* m_pRecord = nullptr;
};

} // namespace QMRequest

Q_DECLARE_METATYPE(QMRequest::UrlInfo)
