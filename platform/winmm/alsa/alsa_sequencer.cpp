#include "platform/winmm/alsa/alsa_sequencer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <tuple>

namespace kt73b::winmm {
namespace {

// Each cell of the kernel's pool carries this many bytes of a long event.
constexpr std::size_t kPoolCellBytes = 28;
constexpr std::size_t kDefaultOutputPoolCells = 500;
constexpr std::size_t kDefaultInputPoolCells = 200;
constexpr std::size_t kShortMessageBytes = 16;
// The ports we open towards a device are ours alone: other clients (another updater's list
// among them) do not see them, and only we connect them.
constexpr unsigned int kHostPortCaps = SND_SEQ_PORT_CAP_NO_EXPORT;

void Silent(const char*, int, const char*, int, const char*, ...) {}

// libasound prints its complaints (no /dev/snd/seq, for one) on stderr unless told otherwise.
void SilenceLibasound() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&Silent); });
}

bool IsMidiPort(const snd_seq_port_info_t* info) {
    const unsigned int type = snd_seq_port_info_get_type(info);
    const unsigned int caps = snd_seq_port_info_get_capability(info);
    return (type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION)) != 0 &&
           (caps & SND_SEQ_PORT_CAP_NO_EXPORT) == 0;
}

}  // namespace

AlsaSequencer::AlsaSequencer(const AlsaConfig& config) : config_(config) {}

AlsaSequencer::Route::Route(InputSink& to, CutMessages cut, snd_midi_event_t* shortDecoder)
    : sink(&to),
      sysex(cut, [&to](std::span<const std::uint8_t> m) { to.OnMessage(m.data(), m.size()); }),
      decoder(shortDecoder) {}

std::shared_ptr<AlsaSequencer> AlsaSequencer::Open(const AlsaConfig& config) {
    SilenceLibasound();
    std::shared_ptr<AlsaSequencer> sequencer(new AlsaSequencer(config));
    if (!sequencer->Start()) {
        return nullptr;
    }
    return sequencer;
}

bool AlsaSequencer::Start() {
    if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
        seq_ = nullptr;
        return false;
    }
    snd_seq_set_client_name(seq_, config_.clientName.c_str());
    ownClient_ = snd_seq_client_id(seq_);
    // Room for two of the largest messages each way: a device port takes whole frames too.
    const std::size_t cells = config_.largestMessageBytes / kPoolCellBytes + 2;
    snd_seq_set_client_pool_output(seq_, std::max(cells * 2, kDefaultOutputPoolCells));
    snd_seq_set_client_pool_input(seq_, std::max(cells * 2, kDefaultInputPoolCells));
    snd_seq_set_output_buffer_size(seq_, config_.largestMessageBytes + sizeof(snd_seq_event_t));
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        return false;
    }
    reader_ = std::thread([this] { ReadEvents(); });
    return true;
}

AlsaSequencer::~AlsaSequencer() {
    if (reader_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof(one));
        reader_.join();
    }
    for (auto& [port, route] : routes_) {
        snd_midi_event_free(route.decoder);
    }
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
    if (seq_ != nullptr) {
        snd_seq_close(seq_);
    }
}

std::vector<AlsaPort> AlsaSequencer::OtherMidiPorts(bool readable) const {
    const unsigned int wanted = readable ? SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ
                                         : SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    std::vector<AlsaPort> ports;
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_malloc(&client);
    snd_seq_port_info_malloc(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq_, client) >= 0) {
        const int client_id = snd_seq_client_info_get_client(client);
        if (client_id == ownClient_) {
            continue;
        }
        snd_seq_port_info_set_client(port, client_id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq_, port) >= 0) {
            if (IsMidiPort(port) && (snd_seq_port_info_get_capability(port) & wanted) == wanted) {
                ports.push_back(AlsaPort{client_id, snd_seq_port_info_get_port(port),
                                         snd_seq_client_info_get_name(client),
                                         snd_seq_port_info_get_name(port)});
            }
        }
    }
    snd_seq_port_info_free(port);
    snd_seq_client_info_free(client);
    return ports;
}

int AlsaSequencer::AttachInput(const AlsaPort& device, InputSink& sink) {
    std::lock_guard control(controlMutex_);
    const int own_port =
        snd_seq_create_simple_port(seq_, "in", SND_SEQ_PORT_CAP_WRITE | kHostPortCaps,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (own_port < 0) {
        return own_port;
    }
    snd_midi_event_t* decoder = nullptr;
    if (snd_midi_event_new(kShortMessageBytes, &decoder) < 0) {
        snd_seq_delete_simple_port(seq_, own_port);
        return -ENOMEM;
    }
    snd_midi_event_no_status(decoder, 1);
    AddRoute(own_port, sink, CutMessages::kDrop, decoder);
    const int result = snd_seq_connect_from(seq_, own_port, device.client, device.port);
    if (result < 0) {
        DetachInput(own_port, device);
        return result;
    }
    return own_port;
}

void AlsaSequencer::DetachInput(int own_port, const AlsaPort& device) {
    {
        std::lock_guard control(controlMutex_);
        snd_seq_disconnect_from(seq_, own_port, device.client, device.port);
        snd_seq_delete_simple_port(seq_, own_port);
    }
    std::lock_guard routes(routesMutex_);
    const auto it = routes_.find(own_port);
    if (it != routes_.end()) {
        snd_midi_event_free(it->second.decoder);
        routes_.erase(it);
    }
}

void AlsaSequencer::AddRoute(int own_port, InputSink& sink, CutMessages cut,
                             snd_midi_event_t* decoder) {
    std::lock_guard routes(routesMutex_);
    routes_.erase(own_port);
    routes_.emplace(std::piecewise_construct, std::forward_as_tuple(own_port),
                    std::forward_as_tuple(sink, cut, decoder));
}

// A device's port: the kernel's own MIDI ports are of the hardware type, so ours is too.
int AlsaSequencer::CreateDevicePort(const std::string& name, InputSink& sink) {
    std::lock_guard control(controlMutex_);
    const int own_port =
        snd_seq_create_simple_port(seq_, name.c_str(),
                                   SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ |
                                       SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE);
    if (own_port >= 0) {
        AddRoute(own_port, sink, CutMessages::kHandOn, nullptr);
    }
    return own_port;
}

int AlsaSequencer::AttachOutput(const AlsaPort& device) {
    std::lock_guard control(controlMutex_);
    const int own_port =
        snd_seq_create_simple_port(seq_, "out", SND_SEQ_PORT_CAP_READ | kHostPortCaps,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (own_port < 0) {
        return own_port;
    }
    const int result = snd_seq_connect_to(seq_, own_port, device.client, device.port);
    if (result < 0) {
        snd_seq_delete_simple_port(seq_, own_port);
        return result;
    }
    return own_port;
}

void AlsaSequencer::DetachOutput(int own_port, const AlsaPort& device) {
    std::lock_guard control(controlMutex_);
    snd_seq_drain_output(seq_);
    snd_seq_disconnect_to(seq_, own_port, device.client, device.port);
    snd_seq_delete_simple_port(seq_, own_port);
}

// The whole message goes as one variable-length event, straight to the subscribers; the kernel
// may cut it into pieces on the way, which the receiving side joins.
MMRESULT AlsaSequencer::Send(int own_port, const std::uint8_t* bytes, std::size_t length) {
    snd_seq_event_t event{};
    event.type = SND_SEQ_EVENT_SYSEX;
    event.flags = SND_SEQ_EVENT_LENGTH_VARIABLE;
    event.data.ext.len = static_cast<unsigned int>(length);
    event.data.ext.ptr = const_cast<std::uint8_t*>(bytes);
    event.source.port = static_cast<unsigned char>(own_port);
    event.dest.client = SND_SEQ_ADDRESS_SUBSCRIBERS;
    event.dest.port = SND_SEQ_ADDRESS_UNKNOWN;
    event.queue = SND_SEQ_QUEUE_DIRECT;
    const auto deadline = std::chrono::steady_clock::now() + config_.sendTimeout;
    std::lock_guard control(controlMutex_);
    for (;;) {
        const int result = snd_seq_event_output_direct(seq_, &event);
        if (result >= 0) {
            return MMSYSERR_NOERROR;
        }
        if (result != -EAGAIN || std::chrono::steady_clock::now() >= deadline) {
            return result == -EAGAIN ? MIDIERR_NOTREADY : MMSYSERR_ERROR;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void AlsaSequencer::ReadEvents() {
    const int count = snd_seq_poll_descriptors_count(seq_, POLLIN);
    std::vector<pollfd> fds(static_cast<std::size_t>(std::max(count, 0)) + 1);
    snd_seq_poll_descriptors(seq_, fds.data(), static_cast<unsigned int>(count), POLLIN);
    fds.back() = pollfd{wakeFd_, POLLIN, 0};
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
            return;
        }
        if ((fds.back().revents & POLLIN) != 0) {
            return;
        }
        snd_seq_event_t* event = nullptr;
        while (snd_seq_event_input(seq_, &event) >= 0 && event != nullptr) {
            Deliver(*event);
        }
    }
}

void AlsaSequencer::Deliver(const snd_seq_event_t& event) {
    std::lock_guard routes(routesMutex_);
    const auto it = routes_.find(event.dest.port);
    if (it == routes_.end()) {
        return;
    }
    Route& route = it->second;
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        route.sysex.Feed(
            {static_cast<const std::uint8_t*>(event.data.ext.ptr), event.data.ext.len});
        return;
    }
    if (route.decoder == nullptr) {
        return;
    }
    unsigned char bytes[kShortMessageBytes];
    const long length = snd_midi_event_decode(route.decoder, bytes, sizeof(bytes), &event);
    if (length > 0) {
        route.sink->OnMessage(bytes, static_cast<std::size_t>(length));
    }
}

}  // namespace kt73b::winmm
