#pragma once

#include <QByteArray>
#include <QString>

#include <tiffio.h>

namespace pf {

// A libtiff handle on bytes in memory, for reading or for writing. libtiff's messages are
// collected here instead of going to the terminal, and a hostile file's allocations are
// bounded by the image decoding limit.
class ImageTiffMemoryFile {
public:
    // Opens `data` for reading.
    explicit ImageTiffMemoryFile(const QByteArray& data);
    // Opens an empty file for writing.
    ImageTiffMemoryFile();
    ~ImageTiffMemoryFile();
    ImageTiffMemoryFile(const ImageTiffMemoryFile&) = delete;
    ImageTiffMemoryFile& operator=(const ImageTiffMemoryFile&) = delete;

    // Null when libtiff refused to open the data.
    TIFF* tiff() const { return m_tiff; }
    // Flushes and closes a written file; answers whether libtiff finished without error.
    bool close();
    // The bytes written so far (complete after close).
    const QByteArray& data() const { return m_data; }
    // libtiff's first error message, empty when there was none.
    const QString& errorMessage() const { return m_errorMessage; }

private:
    static int handleError(TIFF*, void* userData, const char* module, const char* format, va_list arguments);
    static int handleWarning(TIFF*, void*, const char*, const char*, va_list);
    static tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size);
    static tmsize_t writeProc(thandle_t handle, void* buffer, tmsize_t size);
    static toff_t seekProc(thandle_t handle, toff_t offset, int whence);
    static int closeProc(thandle_t handle);
    static toff_t sizeProc(thandle_t handle);
    static int mapProc(thandle_t handle, void** base, toff_t* size);
    static void unmapProc(thandle_t handle, void* base, toff_t size);
    void open(const char* mode);

    QByteArray m_data;
    qint64 m_position = 0;
    bool m_writable = false;
    bool m_failed = false;
    QString m_errorMessage;
    TIFF* m_tiff = nullptr;
};

} // namespace pf
