#pragma once
// Tells the network step whether the machine's interface table may have
// changed since it was last read: the kernel's routing socket announces every
// interface that appears, goes away, is renamed, changes its link state or
// its addresses. Asking costs one system call that finds nothing on almost
// every pass, so the table is read again only when something happened.
namespace cx {

class tInterfaceWatch {
public:
    tInterfaceWatch();
    ~tInterfaceWatch();
    tInterfaceWatch(const tInterfaceWatch&) = delete;
    tInterfaceWatch& operator=(const tInterfaceWatch&) = delete;

    // True when the socket could be opened; without it every pass is a change.
    bool Watching() const { return m_socket >= 0; }

    // True when an announcement arrived since the last call (or when the
    // kernel dropped some because nobody read them); always true when the
    // watch is not working. Takes every waiting announcement.
    bool Changed();

private:
    int m_socket = -1;
};

}  // namespace cx
