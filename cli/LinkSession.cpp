#include "LinkSession.h"
#include "FileErrors.h"
#include "model/WholeNumber.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include <algorithm>
#include <ostream>
#include <unistd.h>

using namespace LinkProtocol;

TLinkSession::TLinkSession(const TLinkOptions& options, std::ostream& err)
    : Options(options), Err(err), ProgressOnTerminal(isatty(STDERR_FILENO) == 1) {
    if (options.TimeoutSeconds)
        Connection.Link.SetTimeout(
            std::chrono::milliseconds(static_cast<long long>(*options.TimeoutSeconds * 1000 + 0.5)));
    Connection.OnPortWarning = [this](const std::string& text) { Err << text << std::endl; };
    Connection.OnOpenFailed = [this](int port, const TSerialErrorInfo& reason) {
        Err << TCommPort::CantOpenText << std::endl;
        // The one port asked for: why, as the system says it.
        if (Options.Port != 0)
            Err << "COM " << port << ": " << reason.Text << std::endl;
    };
    Connection.OnConnectEnded = [this](const TConnectResult& result) { ConnectEnded(result); };
    Connection.OnBlock = [this](uint16_t address, bool differs) {
        const int progress = Connection.Link.Progress();
        if (progress != Progress) {
            Progress = progress;
            ShowProgress();
        }
        if (differs)
            Err << TConnection::CompareText(address) << std::endl;
    };
    Connection.OnTransferEnded = [this](const TTransferResult& result, bool) { TransferEnded(result); };
    Connection.Link.ReadBack = !Options.NoReadback;
}

void TLinkSession::ShowProgress() {
    if (!ProgressOnTerminal)
        return;
    const int blocks = Progress / static_cast<int>(BlockSize);
    Err << "\r" << Caption << " " << blocks << "/" << Blocks
        << (blocks == static_cast<int>(Blocks) ? "\n" : "") << std::flush;
}

void TLinkSession::ConnectEnded(const TConnectResult& result) {
    Connected = result;
    for (const std::string& text : {result.NoiseNote, result.Text(), result.SumsWarning()})
        if (!text.empty())
            Err << text << std::endl;
}

void TLinkSession::TransferEnded(const TTransferResult& result) {
    TransferDone = true;
    if (const std::string noise = result.NoiseNote(); !noise.empty())
        Err << noise << std::endl;
    if (result.Whole() && result.PairsTaken)
        Err << TConnection::PairsNote << std::endl;
    if (!result.Whole() || result.Outcome == TLinkOutcome::Compare)
        Err << result.Verdict() << std::endl;
}

int TLinkSession::Probe() {
    TLineChoice line;
    line.Search = Options.Port == 0;
    line.Port = Options.Port;
    line.Baud = static_cast<int>(WholeNumberOr(Options.Baud, 0));
    line.Control = static_cast<TComControl>(Options.Flow);
    line.Parity = static_cast<TParity>(Options.Parity);
    line.DataBits = static_cast<uint16_t>(Options.Data + 5);
    line.StopBits = static_cast<TStopBits>(Options.Stop);
    Connection.Apply(line);
    Connected.reset();
    Connection.Connect();
    Timers.RunUntil([this] { return Connected.has_value(); });
    return Connected && Connected->Outcome == TConnectOutcome::Connected ? ExitDone : ExitLink;
}

TLinkOutcome TLinkSession::Transfer(bool read, const ConfigImage& image) {
    Caption = read ? TConnection::ReadingCaption : TConnection::WritingCaption;
    Progress = 0;
    TransferDone = false;
    if (read)
        Connection.StartRead(image);
    else
        Connection.StartWrite(image);
    Timers.RunUntil([this] { return TransferDone; });
    return TransferDone ? Connection.Link.Result.Outcome : TLinkOutcome::Running;
}

int TLinkSession::Read() {
    std::string bytes;
    if (const int status = ReadImage(bytes); status != ExitDone)
        return status;
    if (const TFileResult written = WriteFileAtomically(Options.Output, bytes); !written) {
        Err << FileError(written) << std::endl;
        return ExitFile;
    }
    return ExitDone;
}

int TLinkSession::ReadImage(std::string& bytes) {
    if (const int status = Probe(); status != ExitDone)
        return status;
    if (Transfer(true, ConfigImage()) != TLinkOutcome::Done)
        return ExitLink;
    const auto* received = reinterpret_cast<const char*>(Connection.Link.Received.Data());
    bytes.assign(received, received + Layout::ImageSize);
    return ExitDone;
}

int TLinkSession::Write() {
    std::string bytes;
    uint64_t size = 0;
    if (const TFileResult read = ReadFileBytes(Options.Project, bytes, Layout::ImageSize, &size); !read) {
        Err << FileError(read) << std::endl;
        return ExitFile;
    }
    // The file's bytes as they are, not decoded into the editor; a short file is zero-filled,
    // and said to be.
    if (const std::string note = ProjectFile::SizeNote(Options.Project, size); !note.empty())
        Err << note << std::endl;
    bytes.resize(Layout::ImageSize, '\0');
    ConfigImage image;
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(image.Data()));
    if (const int status = Probe(); status != ExitDone)
        return status;
    const TLinkOutcome outcome = Transfer(false, image);
    if (outcome == TLinkOutcome::Done && Connection.Link.Result.ReadingBack)
        Err << Connection.Link.Result.Status() << std::endl;
    if (outcome == TLinkOutcome::Compare) {
        for (const uint16_t address : Connection.Link.Result.CompareFailures)
            Err << "block " << Hex4(address) << " compared differently" << std::endl;
        return ExitCompare;
    }
    return outcome == TLinkOutcome::Done ? ExitDone : ExitLink;
}
