#include "platform/graphics/ImageTiffMemoryFile.h"

#include "platform/graphics/ImageReader.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <limits>

namespace pf {

ImageTiffMemoryFile::ImageTiffMemoryFile(const QByteArray& data)
    : m_data(data)
{
    open("r");
}

ImageTiffMemoryFile::ImageTiffMemoryFile()
    : m_writable(true)
{
    open("w");
}

ImageTiffMemoryFile::~ImageTiffMemoryFile()
{
    if (m_tiff)
        TIFFClose(m_tiff);
}

void ImageTiffMemoryFile::open(const char* mode)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, ImageReader::kDecodeLimitBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options, &ImageTiffMemoryFile::handleError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &ImageTiffMemoryFile::handleWarning, this);
    m_tiff = TIFFClientOpenExt("memory", mode, this, &readProc, &writeProc, &seekProc, &closeProc, &sizeProc,
                               &mapProc, &unmapProc, options);
    TIFFOpenOptionsFree(options);
}

bool ImageTiffMemoryFile::close()
{
    if (!m_tiff)
        return false;
    if (m_writable && !TIFFFlush(m_tiff))
        m_failed = true;
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    return !m_failed;
}

int ImageTiffMemoryFile::handleError(TIFF*, void* userData, const char* module, const char* format, va_list arguments)
{
    auto* self = static_cast<ImageTiffMemoryFile*>(userData);
    self->m_failed = true;
    if (self->m_errorMessage.isEmpty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, arguments);
        self->m_errorMessage = QString::fromLocal8Bit(text);
        Q_UNUSED(module);
    }
    return 1;
}

int ImageTiffMemoryFile::handleWarning(TIFF*, void*, const char*, const char*, va_list)
{
    // Warnings (unknown tags and the like) do not stop reading; keep them off the terminal.
    return 1;
}

tmsize_t ImageTiffMemoryFile::readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* self = static_cast<ImageTiffMemoryFile*>(handle);
    if (size < 0 || self->m_position >= self->m_data.size())
        return 0;
    const qint64 count = std::min<qint64>(size, self->m_data.size() - self->m_position);
    std::memcpy(buffer, self->m_data.constData() + self->m_position, size_t(count));
    self->m_position += count;
    return tmsize_t(count);
}

tmsize_t ImageTiffMemoryFile::writeProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* self = static_cast<ImageTiffMemoryFile*>(handle);
    if (!self->m_writable || size < 0)
        return -1;
    const qint64 end = self->m_position + size;
    if (end > std::numeric_limits<int>::max() / 2)
        return -1;
    if (end > self->m_data.size())
        self->m_data.resize(end);
    std::memcpy(self->m_data.data() + self->m_position, buffer, size_t(size));
    self->m_position = end;
    return size;
}

toff_t ImageTiffMemoryFile::seekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* self = static_cast<ImageTiffMemoryFile*>(handle);
    qint64 base = 0;
    if (whence == SEEK_CUR)
        base = self->m_position;
    else if (whence == SEEK_END)
        base = self->m_data.size();
    const qint64 target = base + qint64(offset);
    // libtiff may seek past the end of a file it is writing; a reader may not.
    if (target < 0 || (!self->m_writable && target > self->m_data.size()))
        return toff_t(-1);
    if (target > std::numeric_limits<int>::max() / 2)
        return toff_t(-1);
    if (target > self->m_data.size())
        self->m_data.resize(target, '\0');
    self->m_position = target;
    return toff_t(target);
}

int ImageTiffMemoryFile::closeProc(thandle_t)
{
    return 0;
}

toff_t ImageTiffMemoryFile::sizeProc(thandle_t handle)
{
    return toff_t(static_cast<ImageTiffMemoryFile*>(handle)->m_data.size());
}

int ImageTiffMemoryFile::mapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void ImageTiffMemoryFile::unmapProc(thandle_t, void*, toff_t)
{
}

} // namespace pf
