"""Checks packaging/kubernetes/*.yaml against the Kubernetes API schema, as the Kubernetes
Python client (Debian's python3-kubernetes) carries it: every field must be one the API knows,
of the type it expects, required fields present; then the pieces must fit together (the
CronJob's Secret, ConfigMap and volumes exist, the Secret's keys are logins brevant reads, the
definition the command names is in the ConfigMap, the schedule is a cron expression).

Usage: check_kubernetes.py FILE.yaml ...      exit 0 when every file passes, 1 otherwise
"""

import re
import sys

import yaml

try:
    import kubernetes.client as k8s
except ImportError:
    print("SKIP: python3-kubernetes is not installed")
    sys.exit(77)


def model_class(api_version, kind):
    version = api_version.split("/")[-1]
    name = version[0].upper() + version[1:] + kind
    cls = getattr(k8s, name, None)
    if cls is None:
        raise ValueError(f"unknown kind {api_version} {kind}")
    return cls


def check(value, type_name, path, errors):
    """Compares `value` (from YAML) with the client's type name for it."""
    if value is None:
        return
    if type_name == "str":
        if not isinstance(value, str):
            errors.append(f"{path}: expected a string, found {value!r}")
    elif type_name == "int":
        if not isinstance(value, int) or isinstance(value, bool):
            errors.append(f"{path}: expected an integer, found {value!r}")
    elif type_name == "bool":
        if not isinstance(value, bool):
            errors.append(f"{path}: expected true or false, found {value!r}")
    elif type_name == "object":  # IntOrString and free-form fields
        pass
    elif type_name.startswith("list["):
        if not isinstance(value, list):
            errors.append(f"{path}: expected a list")
            return
        for i, item in enumerate(value):
            check(item, type_name[5:-1], f"{path}[{i}]", errors)
    elif type_name.startswith("dict("):
        if not isinstance(value, dict):
            errors.append(f"{path}: expected a mapping")
            return
        inner = type_name[5:-1].split(", ", 1)[1]
        for key, item in value.items():
            check(item, inner, f"{path}.{key}", errors)
    else:
        check_model(value, getattr(k8s, type_name), path, errors)


def check_model(value, cls, path, errors):
    if not isinstance(value, dict):
        errors.append(f"{path}: expected a {cls.__name__} mapping")
        return
    by_json_name = {json: attr for attr, json in cls.attribute_map.items()}
    present = {}
    for key, item in value.items():
        attr = by_json_name.get(key)
        if attr is None:
            errors.append(f"{path}: {cls.__name__} has no field {key!r}")
            continue
        present[attr] = item
        check(item, cls.openapi_types[attr], f"{path}.{key}", errors)
    # The client's constructor rejects a missing required field and values outside an enum.
    try:
        cls(**present)
    except ValueError as e:
        errors.append(f"{path}: {e}")


CRON_FIELD = re.compile(r"^(\*|\d+(-\d+)?)(/\d+)?(,(\*|\d+(-\d+)?)(/\d+)?)*$")
LOGIN_KEY = re.compile(r"^BREVANT_(USER|PASSWORD)([1-9]|10)?$")


def check_cron_job(job, by_kind, errors):
    spec = job["spec"]
    fields = spec["schedule"].split()
    if len(fields) != 5 or not all(CRON_FIELD.match(f) for f in fields):
        errors.append(f"CronJob: schedule {spec['schedule']!r} is not a 5-field cron expression")
    pod = spec["jobTemplate"]["spec"]["template"]["spec"]
    if pod.get("restartPolicy") not in ("Never", "OnFailure"):
        errors.append("CronJob: a Job's pods need restartPolicy Never or OnFailure")
    volumes = {v["name"]: v for v in pod.get("volumes", [])}
    for container in pod["containers"]:
        command = " ".join(container.get("command", []) + container.get("args", []))
        if re.search(r"-P\d*\s", command) or "PASSWORD" in command:
            errors.append("CronJob: a password on the command line shows in the process list")
        for source in container.get("envFrom", []):
            name = source.get("secretRef", {}).get("name")
            if name is None:
                continue
            secret = by_kind.get(("Secret", name))
            if secret is None:
                errors.append(f"CronJob: Secret {name!r} is not defined here")
                continue
            keys = list(secret.get("stringData", {})) + list(secret.get("data", {}))
            for key in keys:
                if not LOGIN_KEY.match(key):
                    errors.append(f"Secret {name}: {key!r} is not a login brevant reads")
        mounts = {}
        for mount in container.get("volumeMounts", []):
            if mount["name"] not in volumes:
                errors.append(f"CronJob: volume {mount['name']!r} is mounted but not defined")
            mounts[mount.get("mountPath")] = volumes.get(mount["name"], {})
        for definition in re.findall(r"(/\S+\.kvd)", command):
            folder, _, file_name = definition.rpartition("/")
            config_map = mounts.get(folder, {}).get("configMap", {}).get("name")
            data = by_kind.get(("ConfigMap", config_map), {}).get("data", {})
            if file_name not in data:
                errors.append(f"CronJob: {definition} is in no mounted ConfigMap")
            elif not data[file_name].startswith("Quorvel Version"):
                errors.append(f"ConfigMap {config_map}: {file_name} is not a report definition")
        for env in container.get("env", []):
            if env.get("name") == "ODBCINI":
                folder, _, file_name = env["value"].rpartition("/")
                config_map = mounts.get(folder, {}).get("configMap", {}).get("name")
                if file_name not in by_kind.get(("ConfigMap", config_map), {}).get("data", {}):
                    errors.append(f"CronJob: ODBCINI {env['value']} is in no mounted ConfigMap")


def check_file(path):
    errors = []
    with open(path, encoding="utf-8") as f:
        documents = [d for d in yaml.safe_load_all(f) if d is not None]
    by_kind = {}
    for i, doc in enumerate(documents):
        where = f"{path} document {i + 1}"
        try:
            cls = model_class(doc.get("apiVersion", ""), doc.get("kind", ""))
        except ValueError as e:
            errors.append(f"{where}: {e}")
            continue
        check_model(doc, cls, f"{where} ({doc['kind']})", errors)
        by_kind[(doc["kind"], doc.get("metadata", {}).get("name"))] = doc
    for (kind, _), doc in by_kind.items():
        if kind == "CronJob":
            check_cron_job(doc, by_kind, errors)
    if not any(kind == "CronJob" for kind, _ in by_kind):
        errors.append(f"{path}: no CronJob")
    return errors


def main(paths):
    errors = []
    for path in paths:
        errors += check_file(path)
    for e in errors:
        print(e)
    print(f"checked {len(paths)} file(s): {len(errors)} problem(s)")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
