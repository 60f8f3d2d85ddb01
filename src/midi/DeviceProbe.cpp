#include "midi/DeviceProbe.h"

#include <algorithm>
#include <utility>

#include "midi/HandshakeMessages.h"
#include "platform/Trace.h"

struct CDeviceProbe::Probe {
    uint64_t serial = 0;
    int32_t bufferSize = 0;
    MidiHandle in = kNoMidiHandle;
    MidiHandle out = kNoMidiHandle;
    bool inOpen = false;
    bool outOpen = false;
    MidiHdr inHdr;
    MidiHdr outHdr;
    std::vector<uint8_t> request;
    uint8_t deviceByte = 0;
    platform::EventLoop::TimerId timer = 0;
    bool timerRunning = false;
    std::function<void(bool)> done;
};

CDeviceProbe::CDeviceProbe(MidiService& in_service, platform::EventLoop& in_loop)
    : m_Service(in_service), m_Loop(in_loop), m_ptrAlive(std::make_shared<CDeviceProbe*>(this)) {}

CDeviceProbe::~CDeviceProbe() {
    m_ptrAlive.reset();
    if (m_ptrProbe) {
        ReleaseDevices();
    }
}

void CDeviceProbe::Start(unsigned in_inDev, unsigned in_outDev, int in_channel, int in_timeout_ms,
                         int32_t in_bufferSize, std::function<void(bool)> in_done) {
    m_ptrProbe = std::make_unique<Probe>();
    Probe& probe = *m_ptrProbe;
    probe.serial = ++m_Serial;
    probe.bufferSize = in_bufferSize;
    probe.done = std::move(in_done);
    probe.deviceByte = mks80::DeviceByte(in_channel);
    const auto request = mks80::NamedHandshake(HS_RQD, probe.deviceByte);
    probe.request.assign(request.begin(), request.end());

    std::weak_ptr<CDeviceProbe*> alive = m_ptrAlive;
    platform::EventLoop* loop = &m_Loop;
    const uint64_t serial = probe.serial;
    MidiInCallback callback = [alive, loop, serial](MidiHandle, MidiInEvent in_event,
                                                    MidiHdr* in_header, uint32_t, uint32_t) {
        if (in_event != MidiInEvent::LongData || in_header == nullptr) {
            return;
        }
        try {
            MidiArrival arrival = MidiArrival::From(in_event, in_header, 0);
            loop->Post([alive, serial, arrival = std::move(arrival)]() {
                if (auto self = alive.lock()) {
                    (*self)->OnArrival(serial, arrival);
                }
            });
        } catch (...) {
        }
    };

    if (m_Service.InOpen(probe.in, in_inDev, std::move(callback)) != MMSYSERR_NOERROR) {
        Finish(false);
        return;
    }
    probe.inOpen = true;
    probe.inHdr.Renew(static_cast<size_t>(in_bufferSize));
    if (m_Service.InStart(probe.in) != MMSYSERR_NOERROR ||
        m_Service.InPrepareHeader(probe.in, probe.inHdr) != MMSYSERR_NOERROR ||
        m_Service.InAddBuffer(probe.in, probe.inHdr) != MMSYSERR_NOERROR) {
        Finish(false);
        return;
    }
    if (m_Service.OutOpen(probe.out, in_outDev) != MMSYSERR_NOERROR) {
        Finish(false);
        return;
    }
    probe.outOpen = true;
    probe.outHdr.Renew(static_cast<size_t>(in_bufferSize));
    std::copy(probe.request.begin(), probe.request.end(), probe.outHdr.data.begin());
    probe.outHdr.bufferLength = static_cast<uint32_t>(probe.request.size());
    if (m_Service.OutPrepareHeader(probe.out, probe.outHdr) != MMSYSERR_NOERROR ||
        m_Service.OutLongMsg(probe.out, probe.outHdr) != MMSYSERR_NOERROR) {
        Finish(false);
        return;
    }
    probe.timer = m_Loop.RunAfter(in_timeout_ms, [alive, serial]() {
        if (auto self = alive.lock()) {
            CDeviceProbe& owner = **self;
            if (owner.m_ptrProbe && owner.m_ptrProbe->serial == serial) {
                owner.m_ptrProbe->timerRunning = false;
                owner.Finish(false);
            }
        }
    });
    probe.timerRunning = true;
}

void CDeviceProbe::OnArrival(uint64_t in_serial, const MidiArrival& in_arrival) {
    if (!m_ptrProbe || m_ptrProbe->serial != in_serial) {
        return;
    }
    Probe& probe = *m_ptrProbe;
    if (in_arrival.bytes == probe.request) {
        // Our own request echoed back proves nothing: wait for the instrument.
        if (m_Service.InUnprepareHeader(probe.in, probe.inHdr) != MMSYSERR_NOERROR) {
            Finish(false);
            return;
        }
        probe.inHdr.Renew(static_cast<size_t>(probe.bufferSize));
        if (m_Service.InPrepareHeader(probe.in, probe.inHdr) != MMSYSERR_NOERROR ||
            m_Service.InAddBuffer(probe.in, probe.inHdr) != MMSYSERR_NOERROR) {
            Finish(false);
        }
        return;
    }
    if (in_arrival.bytes.size() > 2 && in_arrival.bytes[2] == HS_DAT) {
        // A dump has begun: stop it so the instrument does not wait for us.
        const auto reject = mks80::ShortHandshake(HS_RJC, probe.deviceByte);
        std::copy(reject.begin(), reject.end(), probe.outHdr.data.begin());
        probe.outHdr.bufferLength = static_cast<uint32_t>(reject.size());
        if (m_Service.OutLongMsg(probe.out, probe.outHdr) != MMSYSERR_NOERROR) {
            QUORLIN_TRACE("\nprobe: the reject could not be sent");
        }
    }
    Finish(true);
}

void CDeviceProbe::ReleaseDevices() {
    Probe& probe = *m_ptrProbe;
    if (probe.timerRunning) {
        m_Loop.Cancel(probe.timer);
        probe.timerRunning = false;
    }
    if (probe.outOpen) {
        m_Service.OutUnprepareHeader(probe.out, probe.outHdr);
        m_Service.OutClose(probe.out);
        probe.outOpen = false;
    }
    if (probe.inOpen) {
        m_Service.InClose(probe.in);
        probe.inOpen = false;
    }
}

void CDeviceProbe::Finish(bool in_ok) {
    if (!m_ptrProbe) {
        return;
    }
    ReleaseDevices();
    std::function<void(bool)> done = std::move(m_ptrProbe->done);
    m_ptrProbe.reset();
    if (done) {
        done(in_ok);
    }
}
