// Heap byte string without terminator, with ordering, search and whole-file load and save.
#pragma once

#include <atomic>
#include <cstdint>
#include <iosfwd>

class MString
{
public:
    MString();
    MString(const char* pBytes, uint64_t nLength);
    MString(const MString& other);

    // Live-instance counter shared by every MString.
    virtual std::atomic<uint32_t>& counter() const;
    virtual ~MString();

    virtual MString& add(const MString& other);
    virtual MString operator+(const MString& other) const;
    // No bound check.
    virtual char& operator[](uint64_t nIndex);
    virtual char& at(uint64_t nIndex);

    virtual bool operator==(const MString& other) const;
    virtual bool operator!=(const MString& other) const;
    // Bytes compare as signed 8-bit values.
    virtual bool operator>(const MString& other) const;
    virtual bool operator<(const MString& other) const;
    virtual bool operator>=(const MString& other) const;
    virtual bool operator<=(const MString& other) const;

    // Writes every byte, a zero byte as a blank.
    virtual void printOn(std::ostream& stream) const;
    virtual bool isEmpty() const;
    // Bytes from position nFrom up to but not including nTo, clamped to the text.
    virtual MString mid(int32_t nFrom, int32_t nTo) const;

    virtual MString& operator=(const char* szText);
    virtual MString& operator=(const MString& other);
    virtual MString& append(const MString& other);
    virtual MString& operator+=(const MString& other);
    virtual MString& reverse();
    virtual bool isEqual(const MString& other) const;
    // Puts a zero byte past the end without changing the length.
    virtual MString& terminate();
    // ASCII only; every other byte is unchanged.
    virtual MString& toUpper();
    virtual MString& toLower();
    virtual char* data();
    virtual const char* constData() const;

    // Throws a const char* when the file cannot be created or written.
    virtual MString& save(const char* szPath);
    virtual MString& save(MString& strPath);
    // Writes the bytes up to the first zero byte.
    virtual void print(std::ostream& stream) const;
    // Throws a const char* when the path is not a readable regular file.
    virtual MString& load(const char* szPath);
    virtual MString& load(MString& strPath);
    // Reads nCount bytes from nOffset; bytes past the end of the file are zero.
    virtual MString& load(const char* szPath, int64_t nOffset, int64_t nCount);
    virtual const char* cStr();
    // Position of the first match at or after nFrom, -1 when absent or nFrom is past the end.
    virtual int32_t find(const MString& pattern, uint32_t nFrom = 0) const;
    virtual uint64_t length() const;

    virtual MString classUuid() const;
    virtual MString objectId() const;
    virtual MString className() const;
    virtual uint32_t instances() const;

protected:
    // Replaces the contents with a copy of the bytes; they may lie in the own buffer.
    void assign(const char* pBytes, uint64_t nLength);

private:
    static std::atomic<uint32_t>& liveCounter();
    int compare(const MString& other) const;

    uint32_t m_nId;
    char* m_pData;
    uint64_t m_nLength;
};
