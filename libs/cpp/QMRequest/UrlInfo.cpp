#include "UrlInfo.h"

namespace QMRequest {

class UrlInfoPrivate
{
public:
    QString name;
    int permissions = 0;
    QString owner;
    QString group;
    qint64 size = 0;
    QDateTime lastModified;
    QDateTime lastRead;
    bool isDir = false;
    bool isFile = true;
    bool isSymLink = false;
    bool isWritable = true;
    bool isReadable = true;
    bool isExecutable = false;
};

UrlInfo::UrlInfo() = default;

UrlInfo::UrlInfo(const UrlInfo& other)
{
    if (other.m_pRecord)
        m_pRecord = new UrlInfoPrivate(*other.m_pRecord);
}

UrlInfo::UrlInfo(const QString& name, int permissions, const QString& owner, const QString& group, qint64 size,
                 const QDateTime& lastModified, const QDateTime& lastRead, bool isDir, bool isFile, bool isSymLink,
                 bool isWritable, bool isReadable, bool isExecutable)
    : m_pRecord(new UrlInfoPrivate)
{
    m_pRecord->name = name;
    m_pRecord->permissions = permissions;
    m_pRecord->owner = owner;
    m_pRecord->group = group;
    m_pRecord->size = size;
    m_pRecord->lastModified = lastModified;
    m_pRecord->lastRead = lastRead;
    m_pRecord->isDir = isDir;
    m_pRecord->isFile = isFile;
    m_pRecord->isSymLink = isSymLink;
    m_pRecord->isWritable = isWritable;
    m_pRecord->isReadable = isReadable;
    m_pRecord->isExecutable = isExecutable;
}

UrlInfo::UrlInfo(const QUrl& url, int permissions, const QString& owner, const QString& group, qint64 size,
                 const QDateTime& lastModified, const QDateTime& lastRead, bool isDir, bool isFile, bool isSymLink,
                 bool isWritable, bool isReadable, bool isExecutable)
    : UrlInfo(url.fileName(QUrl::FullyDecoded), permissions, owner, group, size, lastModified, lastRead, isDir, isFile,
              isSymLink, isWritable, isReadable, isExecutable)
{
}

UrlInfo::~UrlInfo() { delete m_pRecord; }

UrlInfo& UrlInfo::operator=(const UrlInfo& other)
{
    if (this == &other)
        return *this;
    if (!other.m_pRecord) {
        delete m_pRecord;
        m_pRecord = nullptr;
    } else if (m_pRecord) {
        *m_pRecord = *other.m_pRecord;
    } else {
        m_pRecord = new UrlInfoPrivate(*other.m_pRecord);
    }
    return *this;
}

UrlInfoPrivate& UrlInfo::record()
{
    if (!m_pRecord)
        m_pRecord = new UrlInfoPrivate;
    return *m_pRecord;
}

void UrlInfo::setName(const QString& name) { record().name = name; }
void UrlInfo::setDir(bool b) { record().isDir = b; }
void UrlInfo::setFile(bool b) { record().isFile = b; }
void UrlInfo::setSymLink(bool b) { record().isSymLink = b; }
void UrlInfo::setOwner(const QString& s) { record().owner = s; }
void UrlInfo::setGroup(const QString& s) { record().group = s; }
void UrlInfo::setSize(qint64 size) { record().size = size; }
void UrlInfo::setWritable(bool b) { record().isWritable = b; }
void UrlInfo::setReadable(bool b) { record().isReadable = b; }
void UrlInfo::setPermissions(int p) { record().permissions = p; }
void UrlInfo::setLastModified(const QDateTime& dt) { record().lastModified = dt; }
void UrlInfo::setLastRead(const QDateTime& dt) { record().lastRead = dt; }

bool UrlInfo::isValid() const { return m_pRecord != nullptr; }

QString UrlInfo::name() const { return m_pRecord ? m_pRecord->name : QString(); }
int UrlInfo::permissions() const { return m_pRecord ? m_pRecord->permissions : 0; }
QString UrlInfo::owner() const { return m_pRecord ? m_pRecord->owner : QString(); }
QString UrlInfo::group() const { return m_pRecord ? m_pRecord->group : QString(); }
qint64 UrlInfo::size() const { return m_pRecord ? m_pRecord->size : 0; }
QDateTime UrlInfo::lastModified() const { return m_pRecord ? m_pRecord->lastModified : QDateTime(); }
QDateTime UrlInfo::lastRead() const { return m_pRecord ? m_pRecord->lastRead : QDateTime(); }
bool UrlInfo::isDir() const { return m_pRecord && m_pRecord->isDir; }
bool UrlInfo::isFile() const { return m_pRecord && m_pRecord->isFile; }
bool UrlInfo::isSymLink() const { return m_pRecord && m_pRecord->isSymLink; }
bool UrlInfo::isWritable() const { return m_pRecord && m_pRecord->isWritable; }
bool UrlInfo::isReadable() const { return m_pRecord && m_pRecord->isReadable; }
bool UrlInfo::isExecutable() const { return m_pRecord && m_pRecord->isExecutable; }

bool UrlInfo::greaterThan(const UrlInfo& i1, const UrlInfo& i2, int sortBy)
{
    switch (sortBy) {
    case 0:
        return i1.name() > i2.name();
    case 1:
        return i1.lastModified() > i2.lastModified();
    case 2:
        return i1.size() > i2.size();
    default:
        return false;
    }
}

bool UrlInfo::lessThan(const UrlInfo& i1, const UrlInfo& i2, int sortBy) { return !greaterThan(i1, i2, sortBy); }

bool UrlInfo::equal(const UrlInfo& i1, const UrlInfo& i2, int sortBy)
{
    switch (sortBy) {
    case 0:
        return i1.name() == i2.name();
    case 1:
        return i1.lastModified() == i2.lastModified();
    case 2:
        return i1.size() == i2.size();
    default:
        return false;
    }
}

bool UrlInfo::operator==(const UrlInfo& other) const
{
    if (!m_pRecord || !other.m_pRecord)
        return !m_pRecord && !other.m_pRecord;
    const UrlInfoPrivate& a = *m_pRecord;
    const UrlInfoPrivate& b = *other.m_pRecord;
    return a.name == b.name && a.permissions == b.permissions && a.owner == b.owner && a.group == b.group &&
           a.size == b.size && a.lastModified == b.lastModified && a.lastRead == b.lastRead && a.isDir == b.isDir &&
           a.isFile == b.isFile && a.isSymLink == b.isSymLink && a.isWritable == b.isWritable &&
           a.isReadable == b.isReadable && a.isExecutable == b.isExecutable;
}

} // namespace QMRequest
