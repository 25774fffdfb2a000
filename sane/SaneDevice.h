// One scan server as a SANE device: its options, and the scan job engine
// behind sane_start, sane_read and sane_cancel.
#pragma once

#include <sane/sane.h>

#include <memory>
#include <string>

#include "RowCropper.h"
#include "ScanEngine.h"
#include "ServerTexts.h"

class CCurlTransport;

enum ESaneOption {
    OPT_NUM_OPTS,
    OPT_MODE_GROUP,
    OPT_SOURCE,
    OPT_MODE,
    OPT_RESOLUTION,
    OPT_GEOMETRY_GROUP,
    OPT_TL_X,
    OPT_TL_Y,
    OPT_BR_X,
    OPT_BR_Y,
    OPT_ENHANCEMENT_GROUP,
    OPT_BRIGHTNESS,
    OPT_CONTRAST,
    OPT_COUNT
};

class CSaneDevice {
public:
    explicit CSaneDevice(const std::string &url);
    ~CSaneDevice();

    const SANE_Option_Descriptor *Descriptor(SANE_Int option) const;
    SANE_Status Control(SANE_Int option, SANE_Action action, void *value, SANE_Int *info);
    SANE_Status Parameters(SANE_Parameters *params);
    SANE_Status Start();
    SANE_Status Read(SANE_Byte *data, SANE_Int maxLength, SANE_Int *length);
    void Cancel();

private:
    CScanRequestParams RequestParams() const;
    int Dpi() const;
    int BitsPerPixel() const;
    SCropArea AreaFor(int32_t pageWidth, int32_t pageHeight) const;
    SANE_Status Failed(EEngineStatus status);

    std::string m_url;
    SANE_Option_Descriptor m_desc[OPT_COUNT];
    SANE_Word m_value[OPT_COUNT];
    int m_source = 0;  // index into the source list
    int m_mode = 2;    // index into the mode list
    std::unique_ptr<CCurlTransport> m_transport;
    std::unique_ptr<CScanEngine> m_engine;
    std::unique_ptr<CRowCropper> m_cropper;
    SCropArea m_area;
    CServerTexts m_texts;
    bool m_scanning = false;
    bool m_pageDone = false;
    std::string m_out;
    size_t m_outPos = 0;
};
