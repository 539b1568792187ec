"""The CPack archive, unpacked into an empty folder, holds a complete program folder that starts and
writes its settings beside itself."""
import os
import subprocess
import sys
import tarfile
import tempfile

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402


def main():
    build_dir = sys.argv[1]
    subprocess.run(["cpack", "-G", "TGZ"], cwd=build_dir, check=True, capture_output=True)
    archive = os.path.join(build_dir, "package", "rotorvane-2.0-linux-x86_64.tar.gz")
    target = tempfile.mkdtemp(prefix="rotorvane-package-")
    with tarfile.open(archive) as tar:
        tar.extractall(target)
    folder = os.path.join(target, "rotorvane-2.0-linux-x86_64")
    for name in ["rotorvane", "install-desktop-entry", "rotorvane.png", "data/backdrop.jpg",
                 "data/motorsound.wav", "data/canmask.pcx", "help/index.html", "ModelGeometries/bell206.x"]:
        assert os.path.exists(os.path.join(folder, name)), name
    assert os.path.isdir(os.path.join(folder, "recordings"))
    assert os.path.isdir(os.path.join(folder, "models"))
    assert not os.path.exists(os.path.join(folder, "UserPrefs.dat"))
    entry = subprocess.run([os.path.join(folder, "install-desktop-entry"), "--print"], check=True,
                           capture_output=True, text=True).stdout
    assert 'Exec="%s/rotorvane"' % folder in entry, entry

    program = rvdriver.Program(folder, keep_dir=folder)
    try:
        program.start()
        code = program.stop()
    finally:
        program.kill()
    assert code == 0
    for name in ["UserPrefs.dat", "JoystickCalibration.dat", "JoystickMapping.dat", "FlightLogData.log",
                 "data/StartUp.par"]:
        assert os.path.exists(os.path.join(folder, name)), name
    program.dir = target
    program.cleanup()
    print("package: unpacked archive starts and keeps its settings in its own folder")


if __name__ == "__main__":
    main()
