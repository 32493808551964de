#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "arx/adsrb.h"

AcRbKind acutResbufKind(int t) {
    switch (t) {
        case RTREAL:
        case RTANG:
        case RTORINT:
            return AcRbKind::Real;
        case RTPOINT:
        case RT3DPOINT:
            return AcRbKind::Point;
        case RTSHORT:
            return AcRbKind::Short;
        case RTLONG:
            return AcRbKind::Long;
        case RTINT64:
        case RTLONG_PTR:
            return AcRbKind::Int64;
        case RTSTR:
            return AcRbKind::String;
        case RTENAME:
        case RTPICKS:
            return AcRbKind::Name;
        case RTNONE:
        case RTVOID:
        case RTLB:
        case RTLE:
        case RTDOTE:
        case RTNIL:
        case RTT:
            return AcRbKind::None;
        case RTDXF0:
            return AcRbKind::String;
        default:
            break;
    }
    // Drawing-file group codes.
    if (t == -1 || t == -2)
        return AcRbKind::Name;
    if (t == -3 || t == -4)
        return t == -4 ? AcRbKind::String : AcRbKind::None;
    if ((t >= 0 && t <= 9) || t == 100 || t == 101 || t == 102 || t == 105 ||
        (t >= 300 && t <= 369) || (t >= 390 && t <= 399) || (t >= 410 && t <= 419) ||
        (t >= 430 && t <= 439) || (t >= 470 && t <= 481) || t == 999 || (t >= 1000 && t <= 1009)) {
        if (t == 1004 || (t >= 310 && t <= 319))
            return AcRbKind::Binary;
        if ((t >= 330 && t <= 369) || (t >= 390 && t <= 399) || t == 480 || t == 481)
            return AcRbKind::Name;
        return AcRbKind::String;
    }
    if ((t >= 10 && t <= 17) || (t >= 1010 && t <= 1013))
        return AcRbKind::Point;
    if ((t >= 18 && t <= 59) || (t >= 110 && t <= 149) || (t >= 210 && t <= 239) ||
        (t >= 460 && t <= 469) || (t >= 1014 && t <= 1059))
        return AcRbKind::Real;
    if ((t >= 60 && t <= 79) || (t >= 170 && t <= 179) || (t >= 270 && t <= 289) ||
        (t >= 370 && t <= 389) || (t >= 400 && t <= 409) || (t >= 1060 && t <= 1070))
        return AcRbKind::Short;
    if ((t >= 90 && t <= 99) || (t >= 420 && t <= 429) || (t >= 440 && t <= 459) || t == 1071)
        return AcRbKind::Long;
    if (t >= 160 && t <= 169)
        return AcRbKind::Int64;
    if (t >= 290 && t <= 299)
        return AcRbKind::Short;
    return AcRbKind::None;
}

ACHAR* acutNewString(const ACHAR* text) {
    if (text == nullptr)
        text = "";
    std::size_t n = std::strlen(text);
    auto* copy = static_cast<ACHAR*>(std::malloc(n + 1));
    std::memcpy(copy, text, n + 1);
    return copy;
}

void acutDelString(ACHAR*& text) {
    std::free(text);
    text = nullptr;
}

resbuf* acutNewRb(int type) {
    auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
    rb->restype = static_cast<short>(type);
    return rb;
}

int acutRelRb(resbuf* chain) {
    while (chain != nullptr) {
        resbuf* next = chain->rbnext;
        switch (acutResbufKind(chain->restype)) {
            case AcRbKind::String:
                std::free(chain->resval.rstring);
                break;
            case AcRbKind::Binary:
                std::free(chain->resval.rbinary.buf);
                break;
            default:
                break;
        }
        std::free(chain);
        chain = next;
    }
    return RTNORM;
}

resbuf* acutBuildList(int restype, ...) {
    va_list args;
    va_start(args, restype);
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    bool failed = false;
    for (int type = restype; type != 0; type = va_arg(args, int)) {
        resbuf* rb = acutNewRb(type);
        switch (acutResbufKind(type)) {
            case AcRbKind::Real:
                rb->resval.rreal = va_arg(args, double);
                break;
            case AcRbKind::Point: {
                const ads_real* p = va_arg(args, const ads_real*);
                for (int i = 0; i < 3; ++i)
                    rb->resval.rpoint[i] = p ? p[i] : 0.0;
                break;
            }
            case AcRbKind::Short:
                rb->resval.rint = static_cast<short>(va_arg(args, int));
                break;
            case AcRbKind::Long:
                rb->resval.rlong = static_cast<std::int32_t>(va_arg(args, int));
                break;
            case AcRbKind::Int64:
                rb->resval.mnInt64 = va_arg(args, std::int64_t);
                break;
            case AcRbKind::String:
                rb->resval.rstring = acutNewString(va_arg(args, const ACHAR*));
                break;
            case AcRbKind::Name: {
                const std::int64_t* n = va_arg(args, const std::int64_t*);
                rb->resval.rlname[0] = n ? n[0] : 0;
                rb->resval.rlname[1] = n ? n[1] : 0;
                break;
            }
            case AcRbKind::Binary: {
                const ads_binary* b = va_arg(args, const ads_binary*);
                rb->resval.rbinary.clen = b ? b->clen : 0;
                rb->resval.rbinary.buf =
                    static_cast<char*>(std::malloc(b && b->clen > 0 ? b->clen : 1));
                if (b && b->clen > 0)
                    std::memcpy(rb->resval.rbinary.buf, b->buf, static_cast<std::size_t>(b->clen));
                break;
            }
            case AcRbKind::None:
                if (type != RTNONE && type != RTLB && type != RTLE && type != RTDOTE &&
                    type != RTNIL && type != RTT && type != RTVOID && type != -3)
                    failed = true;
                break;
        }
        if (head == nullptr)
            head = rb;
        else
            tail->rbnext = rb;
        tail = rb;
        if (failed)
            break;
    }
    va_end(args);
    if (failed) {
        acutRelRb(head);
        return nullptr;
    }
    return head;
}
