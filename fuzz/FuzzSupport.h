#pragma once
// Shared by the fuzz targets: a check that stops the run with a message (libFuzzer keeps the
// input that did it), a reader that takes values off the front of the input, and a scratch file.
#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace fuzz {

// Takes bytes off the front of the input; past its end every value is zero or empty.
class Input {
public:
    Input(const uint8_t *data, size_t size) : bytes_(reinterpret_cast<const char *>(data), qsizetype(size)) {}

    uint8_t Byte()
    {
        return pos_ < bytes_.size() ? uint8_t(bytes_[pos_++]) : 0;
    }
    uint32_t U32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | Byte();
        return v;
    }
    // Up to `max` bytes (the count is the next byte).
    QByteArrayView Bytes(int max)
    {
        const qsizetype n = qMin<qsizetype>(qMin<int>(Byte(), max), bytes_.size() - pos_);
        const QByteArrayView v = bytes_.sliced(pos_, n);
        pos_ += n;
        return v;
    }
    QByteArrayView Rest()
    {
        const QByteArrayView v = bytes_.sliced(pos_);
        pos_ = bytes_.size();
        return v;
    }

private:
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
};

// One file in a private folder of the run, rewritten for each input.
class ScratchFile {
public:
    explicit ScratchFile(const char *name) : path_(dir_.filePath(QString::fromLatin1(name))) {}
    const QString &Path() const { return path_; }
    void Write(QByteArrayView bytes) const
    {
        QFile f(path_);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(bytes.data(), bytes.size()) == bytes.size());
    }
    QByteArray Read() const
    {
        QFile f(path_);
        FUZZ_CHECK(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

}  // namespace fuzz
