#include "toolkit/Dde.h"

namespace rondel {

namespace {

// The names of service, topic and application are kept to what fits 256 characters.
constexpr std::size_t kNameLimit = 255;

std::string Limited(const std::string& text) { return text.substr(0, kNameLimit); }

}  // namespace

// ---------------------------------------------------------------- TDdeInstance

TDdeInstance::TDdeInstance() {
    if (::DdeInitializeA(&id_, &TDdeInstance::Callback, 0, 0) != DMLERR_NO_ERROR) id_ = 0;
}

TDdeInstance::~TDdeInstance() {
    if (id_ != 0) ::DdeUninitialize(id_);
}

HDDEDATA CALLBACK TDdeInstance::Callback(UINT type, UINT, HCONV conversation, HSZ, HSZ, HDDEDATA, ULONG_PTR,
                                         ULONG_PTR) {
    if (type == XTYP_XACT_COMPLETE && conversation != nullptr) {
        CONVINFO info{};
        info.cb = sizeof info;
        // A conversation that was released meanwhile has no object attached any more.
        if (::DdeQueryConvInfo(conversation, QID_SYNC, &info) && info.hUser != 0)
            reinterpret_cast<TDdeClientConv*>(info.hUser)->TransactionComplete();
    }
    return nullptr;
}

// ---------------------------------------------------------------- TDdeClientConv

TDdeClientConv::TDdeClientConv(DWORD instance) : instance_(instance) {}

TDdeClientConv::~TDdeClientConv() { CloseLink(); }

HCONV TDdeClientConv::Connect() {
    CONVCONTEXT context{};
    context.cb = sizeof context;
    context.iCodePage = CP_WINANSI;
    return ::DdeConnect(instance_, serviceHandle_.get(), topicHandle_.get(), &context);
}

bool TDdeClientConv::SetLink(const std::string& service, const std::string& topic,
                             const std::function<unsigned(const std::string& path)>& start) {
    CloseLink();
    if (instance_ == 0) return false;
    service_ = Limited(service);
    topic_ = Limited(topic);
    serviceHandle_ = unique_hsz(instance_, ::DdeCreateStringHandleA(instance_, service_.c_str(), CP_WINANSI));
    topicHandle_ = unique_hsz(instance_, ::DdeCreateStringHandleA(instance_, topic_.c_str(), CP_WINANSI));
    conversation_ = Connect();
    if (conversation_ == nullptr && !serviceApplication_.empty() && start &&
        start(Limited(serviceApplication_)) >= 32)
        conversation_ = Connect();
    if (conversation_ == nullptr) {
        CloseLink();
        return false;
    }
    CONVINFO info{};
    info.cb = sizeof info;
    ::DdeQueryConvInfo(conversation_, QID_SYNC, &info);
    ::DdeSetUserHandle(conversation_, QID_SYNC, reinterpret_cast<DWORD_PTR>(this));
    format_ = CF_TEXT;
    return true;
}

void TDdeClientConv::CloseLink() {
    if (conversation_ != nullptr) {
        ::DdeSetUserHandle(conversation_, QID_SYNC, 0);
        ::DdeDisconnect(conversation_);
        conversation_ = nullptr;
    }
    serviceHandle_.reset();
    topicHandle_.reset();
    service_.clear();
    topic_.clear();
    waiting_ = false;
}

bool TDdeClientConv::ExecuteMacro(const std::string& command) {
    if (conversation_ == nullptr) return false;
    HDDEDATA data = ::DdeCreateDataHandle(instance_, reinterpret_cast<LPBYTE>(const_cast<char*>(command.c_str())),
                                          static_cast<DWORD>(command.size() + 1), 0, nullptr, format_, 0);
    if (data == nullptr) {
        CloseLink();
        return false;
    }
    waiting_ = true;
    DWORD transaction = 0;
    // The data handle is the system's now, whatever the answer.
    if (::DdeClientTransaction(reinterpret_cast<LPBYTE>(data), static_cast<DWORD>(-1), conversation_, nullptr,
                               format_, XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction) == nullptr) {
        waiting_ = false;
        CloseLink();
        return false;
    }
    return true;
}

}  // namespace rondel
