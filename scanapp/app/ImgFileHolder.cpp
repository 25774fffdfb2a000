#include "ImgFileHolder.h"

#include "ImageError.h"

template <typename Step>
bool CImgFileHolder::Guard(Step step) {
    if (!m_writer)
        return false;
    try {
        step();
        return true;
    } catch (const corv::CImageError &e) {
        m_error = static_cast<int32_t>(e.Code());
    } catch (...) {
        m_error = -1;
    }
    m_writer->Abandon();
    m_writer.reset();
    return false;
}

bool CImgFileHolder::Open(corv::CImgOption *option, const char *fileName) {
    return Guard([&] { m_writer->Open(option, fileName); });
}

bool CImgFileHolder::BeginPage(const corv::CImgParam &param) {
    return Guard([&] { m_writer->BeginPage(param); });
}

bool CImgFileHolder::WriteData(size_t length, const uint8_t *bytes) {
    return Guard([&] { m_writer->WriteData(length, bytes); });
}

bool CImgFileHolder::EndPage() {
    const bool ok = Guard([&] { m_writer->EndPage(); });
    if (ok)
        ++m_pages;
    return ok;
}

bool CImgFileHolder::DropPage() {
    return Guard([&] { m_writer->DropPage(); });
}

bool CImgFileHolder::Close() {
    const bool ok = Guard([&] { m_writer->Close(); });
    m_writer.reset();
    return ok;
}

void CImgFileHolder::Abandon() noexcept {
    if (m_writer)
        m_writer->Abandon();
    m_writer.reset();
}
