// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/AlsaSeqProbe.h"

#include <alsa/asoundlib.h>

namespace tamboril::midi::detail {

struct AlsaSeqProbe::Handle {
    snd_seq_t* seq = nullptr;
    ~Handle() {
        if (seq != nullptr) {
            snd_seq_close(seq);
        }
    }
};

std::unique_ptr<AlsaSeqProbe> AlsaSeqProbe::open() {
    std::unique_ptr<AlsaSeqProbe> probe(new AlsaSeqProbe);
    probe->handle_ = std::make_unique<Handle>();
    if (snd_seq_open(&probe->handle_->seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
        probe->handle_->seq = nullptr;
        return nullptr;
    }
    snd_seq_set_client_name(probe->handle_->seq, "Tamboril probe");
    return probe;
}

AlsaSeqProbe::~AlsaSeqProbe() = default;

bool AlsaSeqProbe::clientCalled(int client, const QString& name) const {
    snd_seq_client_info_t* info = nullptr;
    snd_seq_client_info_alloca(&info);
    return snd_seq_get_any_client_info(handle_->seq, client, info) >= 0 &&
           QString::fromLocal8Bit(snd_seq_client_info_get_name(info)) == name;
}

bool AlsaSeqProbe::receivesFrom(SeqAddress destination, const QString& senderClient) const {
    snd_seq_port_info_t* port = nullptr;
    snd_seq_port_info_alloca(&port);
    if (snd_seq_get_any_port_info(handle_->seq, destination.client, destination.port, port) < 0) {
        return false;
    }
    snd_seq_query_subscribe_t* query = nullptr;
    snd_seq_query_subscribe_alloca(&query);
    snd_seq_addr_t root{static_cast<unsigned char>(destination.client),
                        static_cast<unsigned char>(destination.port)};
    snd_seq_query_subscribe_set_root(query, &root);
    snd_seq_query_subscribe_set_type(query, SND_SEQ_QUERY_SUBS_WRITE);
    for (int index = 0;; ++index) {
        snd_seq_query_subscribe_set_index(query, index);
        if (snd_seq_query_port_subscribers(handle_->seq, query) < 0) {
            return false;
        }
        if (clientCalled(snd_seq_query_subscribe_get_addr(query)->client, senderClient)) {
            return true;
        }
    }
}

}  // namespace tamboril::midi::detail
