"""The CPack archive, unpacked into an empty folder, holds a complete program folder that starts and
writes its settings beside itself."""
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

build_dir = sys.argv[1]
subprocess.run(["cpack", "-G", "TGZ"], cwd=build_dir, check=True, capture_output=True)
target = tempfile.mkdtemp(prefix="rotorvane-package-")
with tarfile.open(os.path.join(build_dir, "package", "rotorvane-2.0-linux-x86_64.tar.gz")) as tar:
    tar.extractall(target)
folder = os.path.join(target, "rotorvane-2.0-linux-x86_64")
for name in ["rotorvane", "install-desktop-entry", "rotorvane.png", "data/backdrop.jpg", "data/motorsound.wav",
             "data/canmask.pcx", "help/index.html", "ModelGeometries/bell206.x", "recordings/", "models/"]:
    assert os.path.exists(os.path.join(folder, name)), name
assert not os.path.exists(os.path.join(folder, "UserPrefs.dat"))
entry = subprocess.run([os.path.join(folder, "install-desktop-entry"), "--print"], check=True,
                       capture_output=True, text=True).stdout
assert 'Exec="%s/rotorvane"' % folder in entry, entry

program = rvdriver.Program(folder, keep_dir=folder)
try:
    program.start()
    assert program.stop() == 0, program.log
finally:
    program.kill()
for name in rvdriver.SETTINGS_FILES:
    assert os.path.exists(os.path.join(folder, name)), name
shutil.rmtree(target, ignore_errors=True)
print("package: unpacked archive starts and keeps its settings in its own folder")
