// Where the program reads and writes its files: the program folder, or the pilot's own folder when the
// program folder cannot be written (an installed package).
#pragma once
#include <string>
#include <vector>

// Folder of the program file without a trailing '/' ("" for the root folder, so paths become "/x");
// "." when the path has no separator at all.
std::string DeriveProgramDir(const std::string& programFile);

// The folder the program file lives in; shipped data is read from here.
extern std::string ProgramDir;
// The folder every file the program writes goes to: ProgramDir while it is writable, else the pilot's
// folder ($XDG_DATA_HOME/rotorvane, default ~/.local/share/rotorvane). Always set by InitProgramDir.
extern std::string UserDir;

// Sets ProgramDir from the running executable (/proc/self/exe), then chooses UserDir; tells the pilot
// when nothing can be kept.
void InitProgramDir();
// Chooses UserDir for the current ProgramDir: ProgramDir when a file can be created there and the folder
// was not installed by a package, else the pilot's folder, created with its sub-folders. Returns false
// when the pilot's folder cannot be written either or no home folder is known (nothing will be kept);
// UserDir is then the pilot's folder, or "" when there is none.
bool ChooseUserDir();
// The file a package installs beside the program to say its folder belongs to the package manager.
inline constexpr const char* PackageMarkerName = "installed-by-package";
// Whether folder holds the package's marker file.
bool InstalledByPackage(const std::string& folder);
// The pilot's folder when the program folder cannot be written: $XDG_DATA_HOME/rotorvane (an absolute
// XDG_DATA_HOME only), else <home>/.local/share/rotorvane with home from an absolute $HOME or the
// account's entry; "" when no home folder is known.
std::string PilotDataDir();
// Whether a file can be created in folder (the folder is created first when missing).
bool FolderWritable(const std::string& folder);
// True when UserDir is not the program folder.
bool UsingPilotFolder();

// Where to read relative (e.g. "data/canopy.jpg"): the pilot's own copy in UserDir when there is one,
// else the shipped file in ProgramDir.
std::string ReadPath(const std::string& relative);
// Where to write relative: always in UserDir (its parent folder is created when missing).
std::string WritePath(const std::string& relative);
// The folders a listing of relative (e.g. "crashsounds") looks in: UserDir first, then ProgramDir when
// that differs. Both may be missing.
std::vector<std::string> ListingFolders(const std::string& relative);

// The install folder that matches folder, a folder inside the pilot's folder (e.g. UserDir/models ->
// ProgramDir/models), so a listing can show the shipped files beside the pilot's own. "" when the
// program folder is the pilot's folder, folder lies outside it, or the install folder has no such folder.
std::string ShippedCounterpart(const std::string& folder);
// One listing out of the paths found in several folders, searched in ListingFolders order: the first
// path of each file name is kept (the pilot's copy hides a shipped file of the same name), sorted by
// file name, at most limit paths.
std::vector<std::string> MergeListings(const std::vector<std::string>& paths, size_t limit);

// ProgramDir + "/" + relative: a shipped file, whatever the pilot's folder holds.
std::string ProgramPath(const std::string& relative);

// Each file the program keeps, with where it is read and where it is written. A file the program ships
// a default of is read from the pilot's copy when there is one, else from the install folder; a file
// only the program writes is read where it is written. Every file is written in UserDir.
struct FilePlace {
    std::string read;
    std::string write;
};
FilePlace UserPrefsPlace();        // UserPrefs.dat
FilePlace SettingsPlace();         // Settings.ini
FilePlace CalibrationPlace();      // JoystickCalibration.dat
FilePlace MappingPlace();          // JoystickMapping.dat
FilePlace StartUpSetupPlace();     // data/StartUp.par
FilePlace CanopyPicturePlace();    // data/canopy.jpg
FilePlace FlightLogPlace();        // FlightLogData.log, the pilot's own only
FilePlace FlightLogTextPlace();    // FlightLog.txt, the log as text for a viewer
FilePlace ScratchRecordingPlace(); // temporary.rec, the recording being made or played
// helicopters/<name>.toml: a realistic model's helicopter; the pilot's copy wins over the shipped one.
FilePlace HelicopterFilePlace(const std::string& name);
